#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/DataFileLock.h"
#include "data/DbWriter.h"
#include "data/Reencrypt.h"

#include <QFile>

void TDbAccess::Rekey(const TFileKey& key, const QString& batch)
{
    const QString headline = QString::fromUtf16(DbHint::Rekey);
    EnsureOpen(headline, QString());
    RequireNoTransaction(headline);
    // A note the writer committed while the file is written out would be missing from the new
    // one: the writer finishes what it holds and stays closed meanwhile.
    if (FWriter)
        FWriter->CloseConnection(headline);
    TRekeyedCopy copy;
    QString reason = copy.Write(FConnection.get(), DatabasePath(), key, batch);
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());

    CloseConnection(headline);
    // The old file's journal is empty after its last commit; it must not meet the new file.
    QFile::remove(DatabasePath() + QStringLiteral("-journal"));
    // The program's hold on the data file moves to the new one before it takes the name, so
    // that no second program can open it in between.
    if (!DataFileLock::MoveTo(copy.Path()))
        reason = copy.Path() + QStringLiteral(": 无法锁定");
    if (reason.isEmpty()) {
        reason = copy.Commit();
        if (!reason.isEmpty())
            DataFileLock::MoveTo(DatabasePath());
    }
    if (!reason.isEmpty()) {
        // Nothing was replaced: go on with the old file and its key.
        EnsureOpen(headline, QString());
        throw EDBException(reason, headline, QString());
    }
    FKey = key;
    EnsureOpen(headline, QString());
}
