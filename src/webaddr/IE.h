#pragma once

#include <QString>

class TCardDBGrid;
class TDbAccess;

// The web address records of table IE, one record at a time: callers fill the fields and insert
// or update, or load a record by its ID into them. The ID travels as decimal text, as the grid's
// hidden first column holds it. Errors are thrown, never returned.
class TIE final
{
public:
    explicit TIE(TDbAccess& dbAccess) : FDbAccess(dbAccess) {}

    qint32 TypeID = 0; // the group (an IEType SelfIndex); 0 is the root "全部"
    QString TypeName;  // filled by LoadAddress only
    QString IEUrl;
    QString IEName;
    QString ReMark;

    void InsertAddress();
    void UpdateAddress(const QString& id);
    // Fills the data fields from the row with that ID; without such a row they read 0 and empty.
    void LoadAddress(const QString& id);
    QString LookupTypeName(qint32 typeId);
    // The deletes re-read the grid once their statement has run.
    void DeleteAddress(const QString& id);
    void DeleteAddressesOfType(const QString& typeId);
    // How many addresses are filed directly in that group.
    int CountAddressesOfType(const QString& typeId);
    // Lists every address (typeId 0) or those filed directly in one group into the grid; the ID
    // column is kept but hidden.
    void ListAddresses(TCardDBGrid& grid, qint32 typeId);

    // The connection the records are kept on.
    TDbAccess& Connection() const { return FDbAccess; }

private:
    TDbAccess& FDbAccess;
};
