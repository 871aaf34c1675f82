#include "app/SyncedFolder.h"

#include "common/Messages.h"
#include "settings/LockSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#include <memory>

namespace {

// The program whose mark the folder holds; empty when none.
QString ProgramMarking(const QDir& folder)
{
    const auto has = [&folder](const char* name) {
        return QFileInfo::exists(folder.filePath(QLatin1String(name)));
    };
    if (has(".stfolder"))
        return QStringLiteral("Syncthing");
    if (has(".dropbox") || has(".dropbox.cache"))
        return QStringLiteral("Dropbox");
    if (has(".owncloudsync.log") ||
        !folder
             .entryList({QStringLiteral("._sync_*.db"), QStringLiteral(".sync_*.db")},
                        QDir::Files | QDir::Hidden | QDir::System)
             .isEmpty())
        return QStringLiteral("Nextcloud");
    return {};
}

QString RememberedKey(const QString& folder)
{
    // One entry per data folder; the path itself would be cut at its slashes into groups.
    return QStringLiteral("SyncedFolder/Warned-") + QString::fromLatin1(folder.toUtf8().toHex());
}

} // namespace

TSyncedFolder SyncedFolderOf(const QString& folder)
{
    QDir at(QFileInfo(folder).absoluteFilePath());
    for (;;) {
        if (QString program = ProgramMarking(at); !program.isEmpty())
            return {program, QDir::toNativeSeparators(at.absolutePath())};
        if (at.isRoot() || !at.cdUp())
            return {};
    }
}

QString SyncedFolderNote(const TSyncedFolder& synced)
{
    if (synced.Program.isEmpty())
        return {};
    return QCoreApplication::translate(
               "SyncedFolder",
               "数据文件位于同步程序管理的文件夹中（%1：%2）。同步程序会在另一台电脑改过它时"
               "把它整个换掉，或者留下冲突副本，两边的修改可能互相覆盖。请把 Velmora 的文件夹"
               "移出这个文件夹，改用“软件设置”菜单中的“多台电脑同步…”。")
        .arg(synced.Program, synced.Root);
}

void WarnOfSyncedDataFolder(TUserDialogs& dialogs, const QString& folder)
{
    const QString note = SyncedFolderNote(SyncedFolderOf(folder));
    if (note.isEmpty())
        return;
    const std::unique_ptr<QSettings> settings = OpenUserSettings();
    const QString key = RememberedKey(QFileInfo(folder).absoluteFilePath());
    if (settings->value(key).toBool())
        return;
    settings->setValue(key, true);
    settings->sync();
    ShowInfo(dialogs, note);
}
