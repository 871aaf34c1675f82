#include "data/DbAccess.h"

#include "common/Errors.h"
#include "data/DbWriter.h"
#include "data/Reencrypt.h"

void TDbAccess::Rekey(const TFileKey& key, const QString& batch)
{
    const QString headline = QString::fromUtf8(DbHint::Rekey);
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

    ReplaceFile(
        copy.Path(), [&copy] { return copy.Commit(); }, headline);
    FKey = key;
    EnsureOpen(headline, QString());
}
