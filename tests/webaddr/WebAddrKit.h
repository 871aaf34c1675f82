#pragma once

#include <QString>
#include <QStringList>

class TDbAccess;

// Helpers shared by the address tests: rows written and read behind the program's back.
namespace WebAddrKit {

struct TRow
{
    QString ID;
    int TypeID = 0;
    QString IEUrl;
    QString IEName;
    QString ReMark;
};

// Adds an address row directly; returns its ID as decimal text.
QString AddRow(TDbAccess& db, int typeId, const QString& url, const QString& name = {},
               const QString& remark = {});
void AddGroupRow(TDbAccess& db, int selfIndex, int parentIndex, const QString& name);
// Every address row, in ID order.
QList<TRow> Rows(TDbAccess& db);
QList<int> GroupNumbers(TDbAccess& db);

} // namespace WebAddrKit
