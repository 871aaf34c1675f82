#include "data/WriteTransaction.h"

#include "common/Errors.h"

#include <sqlcipher/sqlite3.h>

TWriteTransaction::TWriteTransaction(TDbAccess& dbAccess)
{
    const QString begin = QStringLiteral("begin");
    dbAccess.EnsureOpen(QString::fromUtf8(DbHint::Batch), begin);
    FConnection = dbAccess.FConnection.get();
    const QString error = DatabaseFile::Execute(FConnection, begin);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf8(DbHint::Batch), begin);
    FOpen = true;
    FPrepared.Reset(FConnection);
}

TWriteTransaction::~TWriteTransaction()
{
    FPrepared.Reset(nullptr);
    if (FOpen && !sqlite3_get_autocommit(FConnection))
        DatabaseFile::Execute(FConnection, QStringLiteral("rollback"));
}

void TWriteTransaction::Run(const char* sql, std::initializer_list<TDbAccess::TBound> values)
{
    // Inside the open transaction, each statement is part of it.
    FPrepared.Run(sql, values);
}

void TWriteTransaction::Commit()
{
    FPrepared.Reset(nullptr);
    const QString commit = QStringLiteral("commit");
    const QString error = DatabaseFile::Execute(FConnection, commit);
    if (!error.isEmpty())
        throw EDBException(error, QString::fromUtf8(DbHint::Batch), commit);
    FOpen = false;
}
