#include "sync/SyncService.h"

#include "common/DailyLog.h"
#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Reencrypt.h"
#include "data/Sqlite.h"
#include "sync/SyncFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSaveFile>
#include <QScopeGuard>
#include <QSet>
#include <QTimer>

#include <sqlcipher/sqlite3.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

namespace {
using namespace std::chrono_literals;

constexpr auto Periodic = 5min;
constexpr auto RetryAfter = 30s;
constexpr auto FolderSettles = 1s;

qint64 Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

qint64 Steady()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Beside each computer's file, its name as its user gave it: read before the file is opened,
// so that a password can be asked for under the computer's name.
QString NameFilePath(const QString& folder, const QString& device)
{
    return QDir(folder).filePath(QStringLiteral("velmora-") + device + QStringLiteral(".name"));
}

QString PeerName(const QString& folder, const QString& device)
{
    QFile file(NameFilePath(folder, device));
    if (file.open(QIODevice::ReadOnly)) {
        const QString name = QString::fromUtf8(file.read(256)).trimmed();
        if (!name.isEmpty())
            return name;
    }
    return device;
}
} // namespace

struct TSyncService::TShared
{
    std::mutex Mutex;
    std::condition_variable Wake;
    bool Stop = false;
    bool ExportWanted = false;
    bool ReadWanted = false;
    bool Finished = false;
    bool Interrupted = false;    // the stop's wait ran out: nothing more is begun
    sqlite3* Live = nullptr;     // the worker's connection while open, for an interrupt
    sqlite3* LivePeer = nullptr; // a peer's file while it is read
    // Keys that opened other computers' files, and those already asked for: for this run only.
    QHash<QString, TFileKey> PeerKeys;
    QSet<QString> Asked;
    // Work for the owner's thread: reports and questions.
    std::vector<std::function<void()>> Mail;
};

class TSyncService::TWorker final
{
public:
    TWorker(TSyncService* owner, std::shared_ptr<TShared> shared, QString dataPath, TFileKey key,
            TSyncSettings settings)
        : FOwner(owner), FShared(std::move(shared)), FDataPath(std::move(dataPath)),
          FKey(std::move(key)), FSettings(std::move(settings)), FSpacing(owner->ExportSpacingMs)
    {
        FThread = std::thread([this] { Run(); });
    }
    ~TWorker() { FThread.join(); }

private:
    void Run();
    bool EnsureOpen();
    qint64 DataVersion();
    bool ReadPeers();
    bool ReadPeer(const SyncFolder::TPeerFile& file);
    void Export();
    void WriteName();
    // Leaves work for the owner's thread; the event only wakes it.
    void Post(std::function<void()> work) const
    {
        {
            const std::lock_guard lock(FShared->Mutex);
            FShared->Mail.push_back(std::move(work));
        }
        emit FOwner->MailArrived();
    }
    void Report(const QString& device, const TPeerStatus& status) const
    {
        Post([owner = FOwner, device, status] { owner->PeerRead(device, status); });
    }
    // Asks on the owner's thread and waits for the answer; a stop answers with fallback.
    template <class T> T Ask(std::function<T()> ask, T fallback);
    std::optional<TFileKey> PeerKey(const SyncFolder::TPeerFile& file, const QString& name,
                                    QString* problem);

    TSyncService* FOwner;
    std::shared_ptr<TShared> FShared;
    QString FDataPath;
    TFileKey FKey;
    TSyncSettings FSettings;
    TConnection FConnection;
    QString FOpenProblem;
    // The size and time of each peer file as last merged: an unchanged file is not read again.
    QHash<QString, std::pair<qint64, qint64>> FMerged;
    // The same for a file refused, with why: it is looked at again once it changes (a half
    // copied file grows whole), not every time the folder is read.
    QHash<QString, std::pair<std::pair<qint64, qint64>, QString>> FRefused;
    qint64 FSpacing;
    std::thread FThread;
};

template <class T> T TSyncService::TWorker::Ask(std::function<T()> ask, T fallback)
{
    auto answer = std::make_shared<std::optional<T>>();
    Post([shared = FShared, answer, ask = std::move(ask), fallback] {
        bool stopped = false;
        {
            const std::lock_guard lock(shared->Mutex);
            stopped = shared->Stop;
        }
        // Nobody waits for the answer of an exchange that ended.
        T value = stopped ? fallback : ask();
        {
            const std::lock_guard lock(shared->Mutex);
            *answer = std::move(value);
        }
        shared->Wake.notify_all();
    });
    std::unique_lock lock(FShared->Mutex);
    FShared->Wake.wait(lock, [&] { return answer->has_value() || FShared->Stop; });
    return answer->has_value() ? **answer : fallback;
}

void TSyncService::TWorker::Run()
{
    WriteName();
    qint64 seen = -1;
    bool dirty = false;
    qint64 spacing = FSpacing;
    qint64 lastExport = Steady() - FSpacing;
    // What was asked for and not yet done: a data file that does not open now keeps it.
    bool read = false;
    bool exportNow = false;
    for (;;) {
        {
            std::unique_lock lock(FShared->Mutex);
            FShared->Wake.wait_for(lock, 1s, [this] {
                return FShared->Stop || FShared->ReadWanted || FShared->ExportWanted;
            });
            if (FShared->Stop)
                break;
            read = std::exchange(FShared->ReadWanted, false) || read;
            exportNow = std::exchange(FShared->ExportWanted, false) || exportNow;
        }
        if (!EnsureOpen())
            continue;
        // Another connection's commit (a save, an older copy of the program) is a change.
        const qint64 version = DataVersion();
        if (seen >= 0 && version != seen)
            dirty = true;
        seen = version;
        if (std::exchange(read, false) && ReadPeers())
            dirty = true;
        if (exportNow || (dirty && Steady() - lastExport >= spacing)) {
            const qint64 began = Steady();
            Export();
            exportNow = false;
            dirty = false;
            lastExport = Steady();
            // A large file's copy takes long: typing goes on meanwhile without keeping the
            // processor busy with copies.
            spacing = std::max(FSpacing, 4 * (lastExport - began));
            seen = DataVersion();
        }
    }
    bool interrupted = false;
    {
        const std::lock_guard lock(FShared->Mutex);
        interrupted = FShared->Interrupted;
    }
    if (FConnection && !interrupted) {
        if (DataVersion() != seen)
            dirty = true;
        if (dirty)
            Export();
    }
    {
        const std::lock_guard lock(FShared->Mutex);
        FShared->Live = nullptr;
    }
    FConnection.reset();
    {
        const std::lock_guard lock(FShared->Mutex);
        FShared->Finished = true;
    }
    FShared->Wake.notify_all();
}

bool TSyncService::TWorker::EnsureOpen()
{
    if (FConnection)
        return true;
    QString error;
    FConnection = OpenWorkingConnection(FDataPath, FKey, &error);
    if (!FConnection) {
        if (error != std::exchange(FOpenProblem, error))
            Report(QString(), TPeerStatus{QString(), DatabaseFile::Explanation(error), 0});
        return false;
    }
    FOpenProblem.clear();
    const std::lock_guard lock(FShared->Mutex);
    FShared->Live = FConnection.get();
    return true;
}

qint64 TSyncService::TWorker::DataVersion()
{
    return DatabaseFile::DataVersion(FConnection.get());
}

void TSyncService::TWorker::WriteName()
{
    const QString path = NameFilePath(FSettings.Folder, FSettings.Device);
    const QByteArray name = FSettings.DeviceName.toUtf8();
    QFile current(path);
    if (current.open(QIODevice::ReadOnly) && current.readAll() == name)
        return;
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(name) == name.size())
        file.commit();
}

void TSyncService::TWorker::Export()
{
    QString reason;
    try {
        reason = SyncFolder::WriteOwnFile(FConnection.get(), FSettings.Folder, FSettings.Device,
                                          FKey, Now());
    } catch (const ECardError& error) {
        reason = error.Message();
    } catch (const std::exception& error) {
        reason = QString::fromLocal8Bit(error.what());
    }
    Post([owner = FOwner, reason] {
        if (reason.isEmpty())
            ++owner->FExports;
        owner->FOwnProblem = reason;
        emit owner->StatusChanged();
        if (reason.isEmpty())
            emit owner->Exported();
    });
}

bool TSyncService::TWorker::ReadPeers()
{
    bool changed = false;
    for (const SyncFolder::TPeerFile& file :
         SyncFolder::PeerFiles(FSettings.Folder, FSettings.Device)) {
        {
            const std::lock_guard lock(FShared->Mutex);
            if (FShared->Stop)
                break;
        }
        changed = ReadPeer(file) || changed;
    }
    return changed;
}

std::optional<TFileKey> TSyncService::TWorker::PeerKey(const SyncFolder::TPeerFile& file,
                                                       const QString& name, QString* problem)
{
    std::vector<TFileKey> keys{FKey};
    if (!FKey.IsStandard())
        keys.push_back(TFileKey());
    {
        const std::lock_guard lock(FShared->Mutex);
        if (FShared->PeerKeys.contains(file.Device))
            keys.insert(keys.begin(), FShared->PeerKeys.value(file.Device));
    }
    for (const TFileKey& key : keys) {
        QString error;
        if (DatabaseFile::OpenReadOnly(file.Path, &error, key))
            return key;
        if (!DatabaseFile::IsWrongKey(error)) {
            *problem = DatabaseFile::Explanation(error);
            return std::nullopt;
        }
    }
    *problem = tr("未输入正确的密码，已跳过");
    {
        const std::lock_guard lock(FShared->Mutex);
        if (FShared->Asked.contains(file.Device))
            return std::nullopt;
        FShared->Asked.insert(file.Device);
    }
    QString password =
        Ask<QString>([owner = FOwner,
                      name] { return owner->AskPassword ? owner->AskPassword(name) : QString(); },
                     QString());
    if (password.isEmpty())
        return std::nullopt;
    const std::optional<TFileKey> key =
        TFileKey::KeyThatOpens(password, TFileKey::SaltOf(file.Path),
                               [&](const TFileKey& tried) { return OpensWith(file.Path, tried); });
    WipeText(password);
    if (key) {
        const std::lock_guard lock(FShared->Mutex);
        FShared->PeerKeys.insert(file.Device, *key);
    }
    return key;
}

bool TSyncService::TWorker::ReadPeer(const SyncFolder::TPeerFile& file)
{
    const QFileInfo info(file.Path);
    const std::pair stamp(info.size(), info.lastModified().toMSecsSinceEpoch());
    const QString name = PeerName(FSettings.Folder, file.Device);
    // Nothing new from that computer: still in step with it.
    if (FMerged.value(file.Device) == stamp) {
        Report(file.Device, TPeerStatus{name, QString(), Now()});
        return false;
    }
    const auto refused = FRefused.constFind(file.Device);
    if (refused != FRefused.constEnd() && refused->first == stamp) {
        Report(file.Device, TPeerStatus{name, refused->second, 0});
        return false;
    }
    TPeerStatus status{name, QString(), 0};
    const std::optional<TFileKey> key = PeerKey(file, name, &status.Problem);
    if (!key) {
        FRefused.insert(file.Device, {stamp, status.Problem});
        Report(file.Device, status);
        return false;
    }
    status.Problem.clear();
    PeerMerge::TSetup setup;
    setup.Device = FSettings.Device;
    setup.DeviceName = FSettings.DeviceName;
    setup.PeerName = name;
    setup.Now = Now();
    // The question is asked with no hold on the data file: the first try stops at it and rolls
    // back, and the merge runs again with the answer.
    struct TAskFirst
    {
        int Groups;
        int Addresses;
    };
    std::optional<bool> answer;
    setup.ConfirmDeletions = [&answer](int groups, int addresses) {
        if (!answer)
            throw TAskFirst{groups, addresses};
        return *answer;
    };
    PeerMerge::TReport report;
    for (;;) {
        try {
            // The peer's connection is open to an interrupt: checking a large file takes a
            // while.
            report = SyncFolder::MergePeerFile(FConnection.get(), file.Path, *key, setup,
                                               [this](sqlite3* peer) {
                                                   const std::lock_guard lock(FShared->Mutex);
                                                   FShared->LivePeer = peer;
                                               });
        } catch (const TAskFirst& ask) {
            answer = Ask<bool>(
                [owner = FOwner, name, ask] {
                    return owner->ConfirmDeletions &&
                           owner->ConfirmDeletions(name, ask.Groups, ask.Addresses);
                },
                false);
            continue;
        } catch (const ECardError& error) {
            // This file's trouble (busy, full disk), not the peer's: tried again later.
            report.Refused = error.Message();
            break;
        } catch (const std::exception& error) {
            report.Refused = QString::fromLocal8Bit(error.what());
            break;
        }
        if (!report.Refused.isEmpty())
            FRefused.insert(file.Device, {stamp, report.Refused});
        break;
    }
    status.Problem = report.Refused;
    if (report.Refused.isEmpty()) {
        FMerged.insert(file.Device, stamp);
        FRefused.remove(file.Device);
        status.ReadAt = Now();
    }
    Report(file.Device, status);
    const bool changed =
        report.Refused.isEmpty() &&
        report.Taken + report.Merged + report.Deleted + report.KeptFromDeletion > 0;
    if (changed)
        Post([owner = FOwner, name, report] {
            WriteLog(QStringLiteral("同步：合并 %1 的数据，取用 %2 行，两边合并 %3 行，冲突 %4 处，"
                                    "删除 %5 行，保留被删改过的 %6 行")
                         .arg(name)
                         .arg(report.Taken)
                         .arg(report.Merged)
                         .arg(report.Conflicts)
                         .arg(report.Deleted)
                         .arg(report.KeptFromDeletion));
            emit owner->DataChanged();
            if (report.Conflicts > 0)
                emit owner->ConflictsKept(report.Conflicts);
        });
    return changed;
}

TSyncService::TSyncService(QObject* parent) : QObject(parent)
{
    FDebounce = new QTimer(this);
    FDebounce->setSingleShot(true);
    FDebounce->setInterval(FolderSettles);
    connect(FDebounce, &QTimer::timeout, this, &TSyncService::ReadPeersNow);
    FPeriodic = new QTimer(this);
    FPeriodic->setInterval(Periodic);
    connect(FPeriodic, &QTimer::timeout, this, &TSyncService::ReadPeersNow);
    connect(this, &TSyncService::MailArrived, this, &TSyncService::ReadMail, Qt::QueuedConnection);
    FRetry = new QTimer(this);
    FRetry->setSingleShot(true);
    FRetry->setInterval(RetryAfter);
    connect(FRetry, &QTimer::timeout, this, &TSyncService::ReadPeersNow);
}

TSyncService::~TSyncService()
{
    Stop();
}

void TSyncService::Start(const QString& dataPath, const TFileKey& key,
                         const TSyncSettings& settings)
{
    Stop();
    FShared = std::make_shared<TShared>();
    FShared->ReadWanted = true;
    FShared->ExportWanted = true;
    if (FKeepPeerKeys) {
        FShared->PeerKeys = std::move(FKeepPeerKeys->PeerKeys);
        FShared->Asked = std::move(FKeepPeerKeys->Asked);
    }
    FFolder = settings.Folder;
    FDevice = settings.Device;
    FPeers.clear();
    FOwnProblem.clear();
    FWorker = std::make_unique<TWorker>(this, FShared, dataPath, key, settings);
    WatchFolder();
    FPeriodic->start();
}

void TSyncService::WatchFolder()
{
    delete FWatcher;
    FWatcher = new QFileSystemWatcher(this);
    FWatcher->addPath(FFolder);
    // A sync program often writes a file in place of the old one under the same name: the
    // files are watched as well as the folder.
    for (const SyncFolder::TPeerFile& file : SyncFolder::PeerFiles(FFolder, FDevice))
        FWatcher->addPath(file.Path);
    const auto changed = [this] {
        FDebounce->start();
    };
    connect(FWatcher, &QFileSystemWatcher::directoryChanged, this, [this, changed] {
        for (const SyncFolder::TPeerFile& file : SyncFolder::PeerFiles(FFolder, FDevice))
            if (!FWatcher->files().contains(file.Path))
                FWatcher->addPath(file.Path);
        changed();
    });
    connect(FWatcher, &QFileSystemWatcher::fileChanged, this, changed);
}

void TSyncService::Stop(std::chrono::milliseconds longest)
{
    FPeriodic->stop();
    FDebounce->stop();
    FRetry->stop();
    delete std::exchange(FWatcher, nullptr);
    if (!FWorker)
        return;
    {
        std::unique_lock lock(FShared->Mutex);
        FShared->Stop = true;
        FShared->Wake.notify_all();
        const auto finished = [this] {
            return FShared->Finished;
        };
        if (!FShared->Wake.wait_for(lock, longest, finished)) {
            // An interrupt ends only the statement that runs: the next one is ended too.
            FShared->Interrupted = true;
            while (!finished()) {
                for (sqlite3* connection : {FShared->Live, FShared->LivePeer})
                    if (connection)
                        sqlite3_interrupt(connection);
                FShared->Wake.wait_for(lock, 20ms, finished);
            }
        }
    }
    FWorker.reset();
    // The passwords of other computers' files hold for the whole run.
    FKeepPeerKeys = FShared;
}

bool TSyncService::Running() const
{
    return FWorker != nullptr;
}

void TSyncService::ExportNow()
{
    if (!FWorker)
        return;
    const std::lock_guard lock(FShared->Mutex);
    FShared->ExportWanted = true;
    FShared->Wake.notify_all();
}

void TSyncService::ReadPeersNow()
{
    if (!FWorker)
        return;
    const std::lock_guard lock(FShared->Mutex);
    FShared->ReadWanted = true;
    FShared->Wake.notify_all();
}

void TSyncService::ReadMail()
{
    if (!FShared)
        return;
    std::vector<std::function<void()>> mail;
    {
        const std::lock_guard lock(FShared->Mutex);
        mail.swap(FShared->Mail);
    }
    for (const std::function<void()>& work : mail)
        work();
}

void TSyncService::PeerRead(const QString& device, const TPeerStatus& status)
{
    if (device.isEmpty())
        FOwnProblem = status.Problem;
    else
        FPeers.insert(device, status);
    // A file half copied now is whole in a while.
    if (!status.Problem.isEmpty())
        FRetry->start();
    emit StatusChanged();
}

QString TSyncService::StatusText(qint64 now) const
{
    if (!FOwnProblem.isEmpty())
        return tr("同步出错：%1").arg(FOwnProblem);
    const TPeerStatus* latest = nullptr;
    for (const TPeerStatus& peer : FPeers) {
        if (!peer.Problem.isEmpty())
            return tr("无法读取 %1 的同步文件：%2").arg(peer.Name, peer.Problem);
        if (!latest || peer.ReadAt > latest->ReadAt)
            latest = &peer;
    }
    if (!latest)
        return QString();
    const int minutes = static_cast<int>(std::max<qint64>(0, now - latest->ReadAt) / 60000);
    return tr("已同步：%1，%n 分钟前", nullptr, minutes).arg(latest->Name);
}
