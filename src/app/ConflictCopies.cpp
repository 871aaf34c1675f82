#include "app/ConflictCopies.h"

#include "app/DataFileMerge.h"
#include "common/CardException.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "settings/LockSettings.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSettings>
#include <QTimer>

namespace {

const QString DeclinedKey = QStringLiteral("Sync/DeclinedConflictCopies");

// A sync program writes its copy under a name of its own and renames it: the name is whole when
// it appears. A moment's wait takes several copies arriving together into one offer.
constexpr int SettleMs = 1000;
constexpr int BusyRetryMs = 5000;

} // namespace

TConflictCopies::TConflictCopies(TDbAccess& dbAccess, TUserDialogs& dialogs, QObject* parent)
    : QObject(parent), FDbAccess(dbAccess), FDialogs(dialogs)
{
    FDelay = new QTimer(this);
    FDelay->setSingleShot(true);
    ConnectGuarded(FDelay, &QTimer::timeout, this, [this] { Look(); });
}

QStringList TConflictCopies::Find(const QString& folder)
{
    const QString base = QFileInfo(QString::fromLatin1(DatabaseFile::FileName)).completeBaseName();
    return QDir(folder).entryList({base + QStringLiteral(".sync-conflict-*.dat"),
                                   base + QStringLiteral(" (conflicted copy *).dat"),
                                   base + QStringLiteral(" (* conflicted copy *).dat")},
                                  QDir::Files, QDir::Name);
}

QString TConflictCopies::SourceOf(const QString& name)
{
    static const QRegularExpression syncthing(
        QStringLiteral("\\.sync-conflict-\\d{8}-\\d{6}-([0-9A-Z]+)\\.dat$"));
    static const QRegularExpression dropbox(
        QStringLiteral("^[^(]* \\((.+?)(?:'s|’s)? conflicted copy"));
    for (const QRegularExpression* pattern : {&syncthing, &dropbox})
        if (const QRegularExpressionMatch match = pattern->match(name); match.hasMatch())
            return match.captured(1);
    return QFileInfo(name).completeBaseName();
}

QString TConflictCopies::KeptFolder(const QString& dataFolder, const QDate& day)
{
    return QDir(dataFolder).filePath(QStringLiteral("同步冲突副本/") + day.toString(Qt::ISODate));
}

void TConflictCopies::Start()
{
    if (!FWatcher) {
        FWatcher = new QFileSystemWatcher(this);
        ConnectGuarded(FWatcher, &QFileSystemWatcher::directoryChanged, this,
                       [this] { FDelay->start(SettleMs); });
    }
    FWatcher->addPath(QFileInfo(FDbAccess.DatabasePath()).absolutePath());
    Look();
}

void TConflictCopies::Look()
{
    if (FOffering)
        return;
    if (Busy && Busy()) {
        FDelay->start(BusyRetryMs);
        return;
    }
    const QString folder = QFileInfo(FDbAccess.DatabasePath()).absolutePath();
    const QStringList copies = Find(folder);
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    const QStringList offered = settings->value(DeclinedKey).toStringList();
    bool unseen = false;
    for (const QString& copy : copies)
        unseen |= !offered.contains(copy);
    if (!unseen)
        return;
    FOffering = true;
    const auto done = qScopeGuard([this] { FOffering = false; });
    // Whatever the answer, this set is not offered again; a copy that a merge left in place
    // stays in it.
    settings->setValue(DeclinedKey, copies);
    settings->sync();
    if (!AskYesNo(FDialogs, QCoreApplication::translate(
                                "ConflictCopies", "发现 %n 个同步冲突副本，是否合并到当前数据？",
                                nullptr, int(copies.size()))))
        return;
    if (BeforeMerge)
        BeforeMerge();
    const QString kept = KeptFolder(folder, QDate::currentDate());
    QStringList outcomes;
    int moved = 0;
    for (const QString& copy : copies) {
        const QString path = QDir(folder).filePath(copy);
        const std::optional<ImportMerge::TReport> report =
            MergeDataFile(FDbAccess, FDialogs, path, SourceOf(copy));
        // Shown at once: a failure to write the next one leaves this one in the file.
        if (MergeChanged(report))
            Q_EMIT Merged();
        outcomes << MergeOutcome(path, report);
        if (report && report->Refused.isEmpty()) {
            const QString failure = Keep(copy, kept);
            if (failure.isEmpty())
                ++moved;
            else
                outcomes << failure;
        }
    }
    if (moved > 0)
        outcomes << QCoreApplication::translate("ConflictCopies", "合并过的副本已移到 %1")
                        .arg(QDir::toNativeSeparators(kept));
    ShowInfo(FDialogs, outcomes.join(QLatin1Char('\n')));
}

QString TConflictCopies::Keep(const QString& name, const QString& folder) const
{
    const QFileInfo source(QDir(QFileInfo(FDbAccess.DatabasePath()).absolutePath()).filePath(name));
    QString target = QDir(folder).filePath(name);
    for (int number = 2; QFileInfo::exists(target); ++number)
        target = QDir(folder).filePath(source.completeBaseName() +
                                       QStringLiteral(" (%1).").arg(number) + source.suffix());
    if (QDir().mkpath(folder) && QFile::rename(source.filePath(), target))
        return {};
    return QCoreApplication::translate("ConflictCopies", "未能把“%1”移到 %2，它留在原处。")
        .arg(name, QDir::toNativeSeparators(folder));
}
