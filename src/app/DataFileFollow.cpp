#include "app/DataFileFollow.h"

#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DataFileLock.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/RestoreCheck.h"
#include "data/Sqlite.h"
#include "settings/FormPass.h"
#include "sync/ImportMerge.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

#include <thread>

namespace {

// Why the file at path can't be the data file under key; empty when it can. wrongKey tells a
// key that opens no page of it.
QString ProblemOf(const QString& path, const TFileKey& key, bool* wrongKey)
{
    QString error;
    const TConnection connection = DatabaseFile::OpenReadOnly(path, &error, key);
    *wrongKey = !connection && DatabaseFile::IsWrongKey(error);
    if (!connection)
        return DatabaseFile::Explanation(error) + QLatin1Char('\n') + error;
    return RestoreCheck::Problem(connection.get(), path);
}

// Runs the typing's work, oldest first, against a connection of its own.
QString WriteTyping(sqlite3* connection, const std::vector<TDbWriter::TWork>& typing)
{
    QString failure;
    TPrepared prepared(connection);
    try {
        for (const TDbWriter::TWork& work : typing)
            work(prepared);
    } catch (const EDBException& error) {
        failure = error.Message();
    }
    prepared.Reset(nullptr);
    return failure;
}

} // namespace

TDataFileFollow::TDataFileFollow(TDbAccess& dbAccess, TUserDialogs& dialogs, THooks hooks,
                                 QObject* parent)
    : QObject(parent), FDbAccess(dbAccess), FDialogs(dialogs), FHooks(std::move(hooks)),
      FTimer(new QTimer(this))
{
    setObjectName(QStringLiteral("DataFileFollow"));
    FTimer->setInterval(Interval);
    ConnectGuarded(FTimer, &QTimer::timeout, this, [this] { Check(); });
}

void TDataFileFollow::Start()
{
    FTimer->start();
}

void TDataFileFollow::Check()
{
    // An open dialog may work on the connection; its end is waited for.
    if (FBusy || QApplication::activeModalWidget() || QApplication::activePopupWidget())
        return;
    const TDbAccess::TFileAtPath at = FDbAccess.FileAtPath();
    if (at == TDbAccess::TFileAtPath::Same)
        return;
    const bool locked = !FDbAccess.Connected();
    FBusy = true;
    const auto done = qScopeGuard([this] { FBusy = false; });

    // Saves into the old file fail, and retried after the change they would write a row number
    // of the old file into the new one: the editor's typing is taken here instead, and kept
    // until it is in the copy of the old file.
    if (TDbWriter::TWork fresh = FHooks.Unwritten ? FHooks.Unwritten() : TDbWriter::TWork())
        FTyping.push_back(std::move(fresh));
    const std::vector<TDbWriter::TWork> typing = FTyping;
    TDbWriter& writer = FDbAccess.Writer();
    writer.Drop();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (!writer.Idle() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));

    const QString kept = KeepOpenFile(typing);
    if (kept.isEmpty())
        return;
    FTyping.clear();
    if (at == TDbAccess::TFileAtPath::Missing) {
        PutBack(kept, typing, false);
        WriteLog(QStringLiteral("数据文件被其他程序删除，已把打开的数据写回原处；副本：") + kept);
        // A locked window shows nothing until the file is opened again.
        if (locked)
            return;
        FHooks.Follow();
        FHooks.Say(tr("数据文件被其他程序删除，已把打开的数据写回原处。"));
        return;
    }
    TakeNewFile(kept, typing);
}

QString TDataFileFollow::KeepOpenFile(const std::vector<TDbWriter::TWork>& typing)
{
    const QDateTime now = FHooks.Clock();
    const QString folder = AppPath() + QStringLiteral("同步冲突副本/") +
                           now.toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('/');
    const QString kept = folder + QStringLiteral("bookkeep.open-") +
                         now.toString(QStringLiteral("hhmmss-zzz")) + QStringLiteral(".dat");
    QString reason = QDir().mkpath(folder) ? FDbAccess.CopyOpenFileTo(kept)
                                           : Located(folder, qt_error_string(errno));
    if (reason.isEmpty() && !typing.empty()) {
        QString error;
        const TConnection copy = DatabaseFile::Open(kept, false, &error, FDbAccess.Key());
        reason = copy ? WriteTyping(copy.get(), typing) : error;
    }
    if (reason.isEmpty())
        return kept;
    // Tried again at the next look; the old file stays open meanwhile.
    QFile::remove(kept);
    if (reason != std::exchange(FLastFailure, reason))
        WriteLog(QStringLiteral("数据文件已被替换，打开的数据还没能复制出来：") + reason);
    return {};
}

std::optional<TFileKey> TDataFileFollow::KeyOfNewFile(QString* refusal)
{
    const QString path = FDbAccess.DatabasePath();
    bool wrongKey = false;
    for (const TFileKey& key : {FDbAccess.Key(), TFileKey()}) {
        *refusal = ProblemOf(path, key, &wrongKey);
        if (!wrongKey)
            return refusal->isEmpty() ? std::optional(key) : std::nullopt;
    }
    const QByteArray salt = TFileKey::SaltOf(path);
    if (salt.isEmpty())
        return std::nullopt;
    std::optional<TFileKey> found;
    const auto accepts = [&](const QString& password) {
        found = TFileKey::KeyThatOpens(password, salt, [&](const TFileKey& key) {
            *refusal = ProblemOf(path, key, &wrongKey);
            return !wrongKey;
        });
        return found.has_value();
    };
    if (AskPasswordFor(FDialogs, accepts, tr("数据文件已被替换"),
                       tr("换上的数据文件用别的密码加密，请输入它的登录密码")) != mrOK ||
        !found) {
        *refusal = tr("没有输入它的密码。");
        return std::nullopt;
    }
    if (!refusal->isEmpty())
        return std::nullopt;
    return found;
}

void TDataFileFollow::TakeNewFile(const QString& kept, const std::vector<TDbWriter::TWork>& typing)
{
    QString refusal;
    const std::optional<TFileKey> key = KeyOfNewFile(&refusal);
    if (!key) {
        PutBack(kept, typing, true);
        WriteLog(
            QStringLiteral("数据文件被其他程序换成了无法使用的文件，已移开，继续使用原来的数据：") +
            refusal);
        FHooks.Follow();
        ShowInfo(FDialogs, tr("数据文件被其他程序换成了 Velmora 无法使用的文件：%1\n"
                              "它已移到“%2”文件夹中留存，Velmora 继续使用原来的数据。")
                               .arg(refusal, QDir::toNativeSeparators(QFileInfo(kept).path())));
        return;
    }

    const TFileKey oldKey = FDbAccess.Key();
    QString error;
    if (!FDbAccess.Open(*key, &error))
        throw EDBException(FDbAccess.OpenFailure(error), QString::fromUtf8(DbHint::Connect),
                           QString());
    // The hold that keeps a second program off the data file goes with it.
    if (!DataFileLock::MoveTo(FDbAccess.DatabasePath()))
        WriteLog(QStringLiteral("换上的数据文件无法锁定：") + FDbAccess.DatabasePath());
    ImportMerge::TSetup setup;
    setup.SourceName = FHooks.ComputerName;
    setup.Now = FHooks.Clock().toMSecsSinceEpoch();
    ImportMerge::TReport report = ImportMerge::MergeFile(FDbAccess.Handle(), kept, oldKey, setup);
    // A file replaced during a lock was opened again under the new file's key; the one it had
    // is forgotten at the lock, and the standard key is what most files have.
    if (!report.Refused.isEmpty() && !oldKey.IsStandard())
        report = ImportMerge::MergeFile(FDbAccess.Handle(), kept, TFileKey(), setup);
    if (!report.Refused.isEmpty())
        WriteLog(QStringLiteral("数据文件已被其他程序替换，原来的数据未能合并（副本：") + kept +
                 QStringLiteral("）：") + report.Refused);
    else
        WriteLog(QStringLiteral("数据文件已被其他程序替换，已合并原来的数据：分组 %1，笔记 %2，"
                                "网址 %3，冲突 %4；副本：%5")
                     .arg(report.Groups)
                     .arg(report.Notes)
                     .arg(report.Addresses)
                     .arg(report.Conflicts)
                     .arg(kept));
    FHooks.Follow();
    FHooks.Say(report.Refused.isEmpty()
                   ? tr("数据文件已被其他程序替换，本机尚未同步的内容已合并进新文件。")
                   : tr("数据文件已被其他程序替换，原来的数据未能合并，已留存在“%1”。")
                         .arg(QDir::toNativeSeparators(kept)));
}

void TDataFileFollow::PutBack(const QString& kept, const std::vector<TDbWriter::TWork>& typing,
                              bool moveAside)
{
    const QString path = FDbAccess.DatabasePath();
    if (moveAside) {
        const QString aside = QFileInfo(kept).path() + QStringLiteral("/bookkeep.replacement-") +
                              FHooks.Clock().toString(QStringLiteral("hhmmss-zzz"));
        QFile replacement(path);
        if (!replacement.rename(aside))
            throw EDBException(Located(path, replacement.errorString()),
                               QString::fromUtf8(DbHint::Batch), QString());
    }
    FDbAccess.PutOpenFileBack();
    if (const QString failure = WriteTyping(FDbAccess.Handle(), typing); !failure.isEmpty())
        WriteLog(QStringLiteral("笔记尚未保存：") + failure);
}
