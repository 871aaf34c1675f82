// The grid query of TDbAccess: the address grid's result set, kept open between calls.

#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/GridSet.h"

#include <QCoreApplication>

void TDbAccess::OpenGrid(const QString& sql)
{
    const QString hint = QString::fromUtf8(DbHint::Query);
    EnsureOpen(hint, sql);
    const QString error = FGridSet->Open(FConnection.get(), sql, false);
    if (!error.isEmpty())
        throw EDBException(error, hint, sql);
}

void TDbAccess::RequeryGrid()
{
    if (FGridSet->LastStatement().isEmpty())
        throw ECardError(QCoreApplication::translate("DbGrid", "数据集没有打开，无法刷新"));
    if (!FConnection) {
        // Like the re-read itself, a connection that cannot be reopened is a plain error here.
        try {
            EnsureOpen(QString::fromUtf8(DbHint::Query), FGridSet->LastStatement());
        } catch (const EDBException& error) {
            throw ECardError(error.Message());
        }
    }
    const QString error = FGridSet->Requery(FConnection.get());
    if (!error.isEmpty())
        throw ECardError(error);
}
