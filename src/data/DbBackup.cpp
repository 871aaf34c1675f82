#include "data/DbAccess.h"

#include "common/Errors.h"
#include "common/TextUtil.h"
#include "data/CopyRotation.h"
#include "data/DataFileLock.h"
#include "data/DbWriter.h"
#include "data/DurableFiles.h"
#include "data/GridSet.h"
#include "data/RestoreCheck.h"
#include "data/Schema.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <sqlcipher/sqlite3.h>

#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

constexpr qint64 ChunkSize = 1 << 20;
constexpr int KeptSafetyCopies = 10;

// Whether two names reach the same file, through links too.
bool SameFile(const QString& first, const QString& second)
{
    struct stat a
    {};
    struct stat b
    {};
    return ::stat(QFile::encodeName(first).constData(), &a) == 0 &&
           ::stat(QFile::encodeName(second).constData(), &b) == 0 && a.st_dev == b.st_dev &&
           a.st_ino == b.st_ino;
}

// Why a file cannot be read as a backup, when it is not a plain file with content; empty when it
// is one.
QString NotAPlainFile(const QString& path, const struct stat& about)
{
    QString reason;
    if (S_ISDIR(about.st_mode))
        reason = qt_error_string(EISDIR);
    else if (S_ISFIFO(about.st_mode))
        reason = QCoreApplication::translate("DbBackup", "不是普通文件，而是命名管道");
    else if (S_ISCHR(about.st_mode) || S_ISBLK(about.st_mode))
        reason = QCoreApplication::translate("DbBackup", "不是普通文件，而是设备");
    else if (!S_ISREG(about.st_mode))
        reason = QCoreApplication::translate("DbBackup", "不是普通文件");
    else if (about.st_size == 0)
        reason = QCoreApplication::translate("DbBackup", "文件是空的（0 字节），不是数据库");
    return reason.isEmpty() ? QString() : Located(path, reason);
}

// A file descriptor that is closed when its owner goes.
class TDescriptor final
{
public:
    explicit TDescriptor(int fd = -1) : FFd(fd) {}
    ~TDescriptor()
    {
        if (FFd >= 0)
            ::close(FFd);
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;
    int Get() const { return FFd; }

private:
    int FFd;
};

// A copy of a file written beside the file it is to replace and on disk in full before it takes
// that name, so the destination never holds half a file. Unless committed it is removed again.
// Every failure names the file and the system's own reason.
class TStagedCopy final
{
public:
    TStagedCopy() = default;
    TStagedCopy(const TStagedCopy&) = delete;
    TStagedCopy& operator=(const TStagedCopy&) = delete;

    // Returns the reason on failure.
    QString Write(const QString& source, const QString& target)
    {
        // Opened without waiting, so that a named pipe cannot hold the program up; only a plain
        // file is read.
        TDescriptor in(
            ::open(QFile::encodeName(source).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (in.Get() < 0)
            return Located(source, qt_error_string(errno));
        struct stat about
        {};
        if (::fstat(in.Get(), &about) != 0)
            return Located(source, qt_error_string(errno));
        if (QString reason = NotAPlainFile(source, about); !reason.isEmpty())
            return reason;
        FSource = about;

        FOut.emplace(target);
        if (!FOut->Open())
            return FOut->Reason();
        QByteArray chunk(ChunkSize, Qt::Uninitialized);
        for (;;) {
            const ssize_t got = ::read(in.Get(), chunk.data(), size_t(chunk.size()));
            if (got < 0 && errno == EINTR)
                continue;
            if (got < 0)
                return Located(source, qt_error_string(errno));
            if (got == 0)
                break;
            if (!FOut->Write(chunk.constData(), got))
                return FOut->Reason();
        }
        return FOut->Finish() ? QString() : FOut->Reason();
    }

    QString Path() const { return FOut ? FOut->Path() : QString(); }

    // Whether the file copied is the one described: the same file, unchanged since.
    bool SourceIs(const struct stat& about) const
    {
        return FSource.st_dev == about.st_dev && FSource.st_ino == about.st_ino &&
               FSource.st_size == about.st_size && FSource.st_mtim.tv_sec == about.st_mtim.tv_sec &&
               FSource.st_mtim.tv_nsec == about.st_mtim.tv_nsec;
    }

    QString Commit()
    {
        if (!FOut)
            return Located(QString(), qt_error_string(EBADF));
        FOut->Commit();
        return FOut->Reason();
    }

private:
    std::optional<TStagedFile> FOut;
    struct stat FSource
    {};
};

// Why a restore source can't be taken, from all that can be learnt without copying a byte of it:
// what it is, whether the key opens it, its schema, its contents, its pages. Its size is in
// about.
QString SourceProblem(const QString& source, const TFileKey& key, struct stat* about)
{
    // Looked at before the engine opens it: a named pipe would hold the program up.
    if (::stat(QFile::encodeName(source).constData(), about) != 0)
        return RestoreCheck::Refusal(source, QCoreApplication::translate("DbBackup", "打不开。"),
                                     qt_error_string(errno));
    if (QString reason = NotAPlainFile(source, *about); !reason.isEmpty())
        return RestoreCheck::Refusal(
            source, QCoreApplication::translate("DbBackup", "不是数据文件。"), reason);
    QString error;
    if (QString reason = RestoreCheck::LogBeside(source); !reason.isEmpty())
        return reason;
    const TConnection connection = DatabaseFile::OpenReadOnly(source, &error, key);
    if (!connection)
        return RestoreCheck::Unopened(source, error);
    return RestoreCheck::Problem(connection.get(), source);
}

// Whether the folder has room for the files a restore writes into it.
QString SpaceProblem(const QString& folder, qint64 needed)
{
    // Room for the engine's journal and the log beside the copies.
    constexpr qint64 Margin = 16 << 20;
    struct statvfs about
    {};
    if (::statvfs(QFile::encodeName(folder).constData(), &about) != 0)
        return {};
    const qint64 free = qint64(about.f_bavail) * qint64(about.f_frsize);
    if (free >= needed + Margin)
        return {};
    constexpr double MiB = 1 << 20;
    return QCoreApplication::translate(
               "DbBackup", "数据文件所在的磁盘空间不够：恢复要在“%1”中写入 %2 MB，那里只剩 %3 MB。"
                           "请腾出磁盘空间后再恢复。")
        .arg(ElidedPath(folder))
        .arg((needed + Margin) / MiB, 0, 'f', 1)
        .arg(free / MiB, 0, 'f', 1);
}

// Journals of the engine beside a database file; one left over from the old file would be
// rolled into the new one when it is opened.
QString RemoveJournals(const QString& database)
{
    for (const char* suffix : {"-journal", "-wal", "-shm"}) {
        QFile journal(database + QLatin1String(suffix));
        if (journal.exists() && !journal.remove())
            return Located(journal.fileName(), journal.errorString());
    }
    return {};
}

} // namespace

void TDbAccess::RequireNoTransaction(const QString& headline) const
{
    // Every write commits before control returns to the user, so an open transaction means the
    // file is not complete on disk.
    if (FConnection && !sqlite3_get_autocommit(FConnection.get()))
        throw EDBException(QStringLiteral("a transaction is still open"), headline, QString());
}

void TDbAccess::CloseConnection(const QString& headline)
{
    RequireNoTransaction(headline);
    // The writer finishes what it holds first; it must not write into a file being replaced.
    if (FWriter)
        FWriter->CloseConnection(headline);
    // The sets would otherwise keep rows of the old file and a pointer to the closed connection;
    // the grid empties until the window lists the addresses again.
    FQuerySet->Close();
    FScalarSet->Close();
    FGridSet->Close();
    FPrepared.Reset(nullptr);
    for (TQueryCursor* cursor : FCursors)
        cursor->End();
    FConnection.reset();
    ReleaseOpenFile();
}

QString TDbAccess::CopyTo(const QString& target)
{
    // Every write commits before control returns to the user, so an open transaction means the
    // file is not complete on disk.
    if (FConnection && !sqlite3_get_autocommit(FConnection.get()))
        return QStringLiteral("a transaction is still open");
    // Nor may a note be half written by the writer while the file is copied.
    if (FWriter && !FWriter->Idle())
        return QStringLiteral("a note is still being saved");
    // Renaming a copy over the open file would leave the connection writing to a file that no
    // longer has a name; the target already holds the database anyway.
    if (SameFile(target, DatabasePath()))
        return {};
    TStagedCopy copy;
    QString reason = copy.Write(DatabasePath(), target);
    if (reason.isEmpty())
        reason = copy.Commit();
    return reason;
}

void TDbAccess::BackupTo(const QString& target)
{
    const QString reason = CopyTo(target);
    if (!reason.isEmpty())
        throw EDBException(reason, QString::fromUtf8(DbHint::Backup), QString());
}

void TDbAccess::RestoreFrom(const QString& source, const QString& safetyCopy, const TFileKey& key)
{
    const QString headline = QString::fromUtf8(DbHint::Restore);
    RequireNoTransaction(headline);

    // The source is opened only to be read, and checked whole before a byte of it is copied or
    // anything is written beside the database; the copy then has to be of the file checked.
    struct stat checked
    {};
    QString reason = SourceProblem(source, key, &checked);
    if (reason.isEmpty()) {
        struct stat current
        {};
        const qint64 safety =
            !safetyCopy.isEmpty() &&
                    ::stat(QFile::encodeName(DatabasePath()).constData(), &current) == 0
                ? qint64(current.st_size)
                : 0;
        reason = SpaceProblem(QFileInfo(DatabasePath()).absolutePath(),
                              qint64(checked.st_size) + safety);
    }
    TStagedCopy staged;
    if (reason.isEmpty())
        reason = staged.Write(source, DatabasePath());
    if (reason.isEmpty() && !staged.SourceIs(checked))
        reason = Located(source, QCoreApplication::translate(
                                     "DbBackup", "文件在恢复的过程中被改动了，请再恢复一次"));
    if (!reason.isEmpty())
        throw EDBException(reason, headline, QString());

    // Restoring the safety copy itself must not overwrite it first. The copies of earlier
    // restores stay under dated names.
    if (!safetyCopy.isEmpty() && !SameFile(source, safetyCopy)) {
        reason = SetAsideAsDated(safetyCopy);
        if (!reason.isEmpty())
            throw EDBException(reason, headline, QString());
        const QFileInfo latest(safetyCopy);
        PruneCopies(latest.absolutePath(),
                    QRegularExpression(QStringLiteral("^") +
                                       QRegularExpression::escape(latest.completeBaseName()) +
                                       QStringLiteral("-\\d{8}-\\d{6}\\.") +
                                       QRegularExpression::escape(latest.suffix()) +
                                       QStringLiteral("$")),
                    KeptSafetyCopies);
        BackupTo(safetyCopy);
    }

    ReplaceFile(
        staged.Path(), [&staged] { return staged.Commit(); }, headline);
    FKey = key;
    EnsureOpen(headline, QString());
}

void TDbAccess::ReplaceFile(const QString& staged, const std::function<QString()>& commit,
                            const QString& headline)
{
    CloseConnection(headline);
    QString reason = RemoveJournals(DatabasePath());
    // The program's hold on the data file moves to the new one before it takes the name, so
    // that no second program can open it in between.
    if (reason.isEmpty() && !DataFileLock::MoveTo(staged))
        reason = Located(staged, QCoreApplication::translate("DbBackup", "无法锁定"));
    if (reason.isEmpty()) {
        reason = commit();
        if (!reason.isEmpty())
            DataFileLock::MoveTo(DatabasePath());
    }
    if (!reason.isEmpty()) {
        // Nothing was replaced: go on with the old database and its key (a locked one stays
        // closed).
        if (!FDisconnected)
            EnsureOpen(headline, QString());
        throw EDBException(reason, headline, QString());
    }
}
