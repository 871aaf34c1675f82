#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/Reencrypt.h"

#include <QFile>

void TDbAccess::Rekey(const TFileKey& key, const QString& batch)
{
    const QString headline = QString::fromUtf16(DbHint::Rekey);
    EnsureOpen(headline, QString());
    RequireNoTransaction(headline);
    TRekeyedCopy copy;
    QString reason = copy.Write(FConnection.get(), DatabasePath(), key, batch);
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());

    CloseConnection(headline);
    // The old file's journal is empty after its last commit; it must not meet the new file.
    QFile::remove(DatabasePath() + QStringLiteral("-journal"));
    reason = copy.Commit();
    if (!reason.isEmpty()) {
        // Nothing was replaced: go on with the old file and its key.
        EnsureOpen(headline, QString());
        throw EDBException(reason, headline, QString());
    }
    FKey = key;
    EnsureOpen(headline, QString());
}
