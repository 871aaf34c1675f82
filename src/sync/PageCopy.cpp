#include "sync/PageCopy.h"

#include "data/DurableFiles.h"
#include "data/FileKey.h"
#include "data/Schema.h"
#include "data/Sqlite.h"
#include "sync/SyncStatement.h"

#include <QFile>
#include <QFileInfo>

#include <sodium.h>
#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

#include <fcntl.h>
#include <unistd.h>

namespace {

// A file's salt: its first bytes, which every copy of its pages carries.
constexpr qsizetype SaltBytes = 16;

// A key and a salt that opened a copy, kept as their hash: never the key itself.
std::mutex ProvenMutex;
QByteArray ProvenKey;

QByteArray KeyProof(const TFileKey& key, const QByteArray& salt)
{
    QByteArray statement = key.KeyStatement();
    QByteArray proof(crypto_generichash_BYTES, Qt::Uninitialized);
    crypto_generichash_state state;
    crypto_generichash_init(&state, nullptr, 0, size_t(proof.size()));
    crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(statement.constData()),
                              size_t(statement.size()));
    crypto_generichash_update(&state, reinterpret_cast<const unsigned char*>(salt.constData()),
                              size_t(salt.size()));
    crypto_generichash_final(&state, reinterpret_cast<unsigned char*>(proof.data()),
                             size_t(proof.size()));
    WipeBytes(statement);
    return proof;
}

bool Proven(const QByteArray& proof)
{
    const std::lock_guard lock(ProvenMutex);
    return ProvenKey == proof;
}

void Prove(const QByteArray& proof)
{
    const std::lock_guard lock(ProvenMutex);
    ProvenKey = proof;
}

} // namespace

QString WritePageCopy(sqlite3* connection, const QString& target, const TFileKey& key)
{
    // A transaction of the caller's would be missing from the file, as would a write-ahead log.
    if (!sqlite3_get_autocommit(connection))
        return QStringLiteral("a transaction is open");
    const char* file = sqlite3_db_filename(connection, "main");
    if (!file || !*file)
        return QStringLiteral("no file");
    TSyncStatement mode(connection, QStringLiteral("PRAGMA journal_mode"));
    while (mode.Next())
        if (mode.Text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0)
            return QStringLiteral("write-ahead log");
    SyncSql::Execute(connection, QStringLiteral("begin"));
    qint64 pages = 0;
    qint64 pageSize = 0;
    QByteArray salt;
    TStagedFile staged(target);
    QString reason;
    try {
        TSyncStatement count(connection, QStringLiteral("PRAGMA page_count"));
        while (count.Next())
            pages = count.Number(0);
        TSyncStatement size(connection, QStringLiteral("PRAGMA page_size"));
        while (size.Next())
            pageSize = size.Number(0);
        const int in = ::open(file, O_RDONLY | O_CLOEXEC);
        if (in < 0)
            reason = Located(QFile::decodeName(file), qt_error_string(errno));
        else if (staged.Open()) {
            QByteArray chunk(1 << 20, Qt::Uninitialized);
            for (;;) {
                const ssize_t got = ::read(in, chunk.data(), size_t(chunk.size()));
                if (got < 0 && errno == EINTR)
                    continue;
                if (got < 0)
                    reason = Located(QFile::decodeName(file), qt_error_string(errno));
                if (got <= 0 || !staged.Write(chunk.constData(), got))
                    break;
                if (salt.isEmpty())
                    salt = chunk.left(std::min<qsizetype>(got, SaltBytes));
            }
            ::close(in);
        } else {
            ::close(in);
            reason = staged.Reason();
        }
    } catch (...) {
        DatabaseFile::Execute(connection, QStringLiteral("rollback"));
        throw;
    }
    DatabaseFile::Execute(connection, QStringLiteral("rollback"));
    if (reason.isEmpty() && !staged.Finish())
        reason = staged.Reason();
    if (!reason.isEmpty())
        return reason;
    const qint64 written = QFileInfo(staged.Path()).size() / std::max<qint64>(pageSize, 1);
    if (written != pages)
        return QStringLiteral("%1 of %2 pages copied").arg(written).arg(pages);
    // That the key opens the copy needs its decryption (and the key's derivation from a
    // password) once for the file's salt, not at every copy of its pages.
    const QByteArray proof = KeyProof(key, salt);
    if (!Proven(proof)) {
        QString error;
        const TConnection copy = DatabaseFile::OpenReadOnly(staged.Path(), &error, key);
        if (!copy)
            return error;
        if (error = DatabaseSchema::Difference(copy.get()); !error.isEmpty())
            return error;
        Prove(proof);
    }
    return staged.Commit() ? QString() : staged.Reason();
}
