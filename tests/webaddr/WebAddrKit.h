#pragma once

#include "groups/FormBaseDlg.h"

#include <QString>
#include <QStringList>

#include <functional>

class QObject;

// Helpers shared by the address tests: rows written and read behind the program's back, and a
// driver for the program's own modal dialogs.
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
QString AddRow(int typeId, const QString& url, const QString& name = {},
               const QString& remark = {});
void AddGroupRow(int selfIndex, int parentIndex, const QString& name);
// Every address row, in ID order.
QList<TRow> Rows();
QList<int> GroupNumbers();

// Once a modal dialog with that title is the active modal widget, runs the action on it. The
// timers belong to the context, which lives only for the test. If no such dialog comes up, the
// action never runs and a failure is recorded for the caller to check.
void WhenModal(QObject* context, const QString& title, std::function<void(TFormBaseDlg*)> action);

// Failures recorded by WhenModal since the last call; empties the list.
QStringList TakeDriverFailures();

} // namespace WebAddrKit
