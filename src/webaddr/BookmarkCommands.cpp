#include "webaddr/BookmarkCommands.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/Sql.h"
#include "groups/GroupRows.h"
#include "webaddr/BookmarkFile.h"
#include "webaddr/BrowserProfiles.h"
#include "webaddr/FormBrowserImport.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QProgressDialog>
#include <QScopeGuard>

#include <algorithm>

namespace {

// The file is read in pieces of this size, between which the window is repainted.
constexpr qint64 PieceSize = 256 * 1024;

const QString& AddressTable()
{
    static const QString name = QStringLiteral("IEType");
    return name;
}

// The import's progress dialog. Until it shows (a short import never shows it) the user's input
// waits, so that nothing else can start while the import's transaction is open.
class TProgressDialog final : public TImportProgress
{
public:
    TProgressDialog()
        : FDialog(QCoreApplication::translate("BookmarkCommands", "正在导入书签…"),
                  QCoreApplication::translate("BookmarkCommands", "取消"), 0, Steps, Owner())
    {
        FDialog.setWindowTitle(QCoreApplication::translate("BookmarkCommands", "导入书签"));
        if (const QWidget* owner = FDialog.parentWidget()) {
            FDialog.adjustSize();
            FDialog.move(owner->geometry().center() - FDialog.rect().center());
        }
        FDialog.setWindowModality(Qt::ApplicationModal);
        FDialog.setMinimumDuration(400);
        FDialog.setAutoClose(false);
        FDialog.setAutoReset(false);
        FDialog.setValue(0);
        FLastTurn.start();
    }

    bool Advance(qint64 done, qint64 total) override
    {
        // Often enough to repaint smoothly, seldom enough to cost nothing.
        if (FLastTurn.elapsed() >= 20) {
            FLastTurn.restart();
            FDialog.setValue(total > 0 ? int(std::min(done, total) * Steps / total) : 0);
            QCoreApplication::processEvents(
                FDialog.isVisible() ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
        }
        return !FDialog.wasCanceled();
    }

private:
    // The window the file dialog was opened over; it may not be active again yet.
    static QWidget* Owner()
    {
        if (QWidget* active = QApplication::activeWindow())
            return active;
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (widget->isVisible() && widget->isWindow() && widget->windowType() == Qt::Window)
                return widget;
        return nullptr;
    }

    static constexpr int Steps = 1000;
    QProgressDialog FDialog;
    QElapsedTimer FLastTurn;
};

} // namespace

QString BookmarkFileFilter()
{
    return QCoreApplication::translate("BookmarkCommands", "书签文件 (*.html *.htm)|*.html;*.htm");
}

TBookmarkImport ImportBookmarkFile(TDbAccess& dbAccess, const QString& path, const QDate& today,
                                   TImportProgress* progress)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw ECardError(
            QCoreApplication::translate("BookmarkCommands", "无法打开书签文件：%1").arg(path));
    const qint64 size = file.size();
    TBookmarkImporter importer(dbAccess,
                               QStringLiteral("导入的书签 ") + today.toString(Qt::ISODate));
    TBookmarkFileReader reader(importer);
    qint64 done = 0;
    while (!file.atEnd()) {
        const QByteArray piece = file.read(PieceSize);
        if (file.error() != QFileDevice::NoError)
            throw ECardError(
                QCoreApplication::translate("BookmarkCommands", "无法读取书签文件：%1").arg(path));
        if (piece.isEmpty())
            break;
        reader.Feed(piece);
        done += piece.size();
        if (progress && !progress->Advance(done, size))
            throw EAbort();
    }
    reader.Finish();
    return importer.Commit();
}

TBookmarkImport ImportBookmarks(TDbAccess& dbAccess, const QByteArray& bytes, const QDate& today)
{
    TBookmarkImporter importer(dbAccess,
                               QStringLiteral("导入的书签 ") + today.toString(Qt::ISODate));
    TBookmarkFileReader reader(importer);
    reader.Feed(bytes);
    reader.Finish();
    return importer.Commit();
}

TBookmarkImport ImportBrowserProfile(TDbAccess& dbAccess, const TBrowserProfile& profile,
                                     const QDate& today)
{
    TBookmarkImporter importer(dbAccess, QStringLiteral("从 ") + profile.Browser +
                                             QStringLiteral(" 导入 ") +
                                             today.toString(Qt::ISODate));
    ReadBrowserBookmarks(profile, importer);
    return importer.Commit();
}

QString ImportSummary(const TBookmarkImport& done)
{
    // Each count is a phrase of its own, so that a translation can give each its plural.
    QString text =
        QCoreApplication::translate("BookmarkCommands", "已导入 %1、%2，跳过 %3")
            .arg(QCoreApplication::translate("BookmarkCommands", "%n 个网址", nullptr,
                                             done.Addresses),
                 QCoreApplication::translate("BookmarkCommands", "%n 个分组", nullptr, done.Groups),
                 QCoreApplication::translate("BookmarkCommands", "%n 个重复网址", nullptr,
                                             done.Duplicates));
    if (done.NonWeb > 0)
        text += QLatin1Char('\n') + QCoreApplication::translate(
                                        "BookmarkCommands",
                                        "另有 %n 个不是网址的链接（如 javascript:、data:）未导入。",
                                        nullptr, done.NonWeb);
    if (done.TooDeep > 0)
        text +=
            QLatin1Char('\n') + QCoreApplication::translate(
                                    "BookmarkCommands",
                                    "另有 %n 个文件夹超过 %1 层，其中的网址放在第 %1 层的分组里。",
                                    nullptr, done.TooDeep)
                                    .arg(TBookmarkImporter::MaxDepth);
    return text;
}

QByteArray ExportBookmarks(TDbAccess& dbAccess)
{
    std::vector<TBookmark> items;
    QHash<qint32, int> folderOf; // group number -> its folder's entry
    for (const TGroupRow& row : ReadGroupRows(dbAccess, AddressTable())) {
        if (folderOf.contains(row.Key.SelfIndex))
            continue; // a number twice: the first row is the group the tree shows
        TBookmark folder;
        folder.Folder = true;
        folder.Parent = folderOf.value(row.Key.ParentIndex, -1);
        folder.Title = row.Caption;
        folderOf.insert(row.Key.SelfIndex, int(items.size()));
        items.push_back(std::move(folder));
    }
    dbAccess.OpenQuery(QString::fromUtf16(SqlTemplate::AllAddresses));
    TResultSet& set = dbAccess.QuerySet();
    items.reserve(items.size() + size_t(set.RecordCount()));
    for (; !set.Eof(); set.Next()) {
        TBookmark link;
        link.Parent = folderOf.value(set.AsInteger(QStringLiteral("TypeID")), -1);
        link.Url = set.AsString(QStringLiteral("IEUrl"));
        link.Title = set.AsString(QStringLiteral("IEName"));
        link.Description = set.AsString(QStringLiteral("ReMark"));
        items.push_back(std::move(link));
    }
    set.Close();
    return WriteBookmarkFile(items);
}

bool ImportBookmarksCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    const QString path = dialogs.OpenFileName(BookmarkFileFilter(), QString());
    if (path.isEmpty())
        return false;
    TBookmarkImport done;
    {
        TProgressDialog progress;
        done = ImportBookmarkFile(dbAccess, path, QDate::currentDate(), &progress);
    }
    ShowInfo(dialogs, ImportSummary(done));
    return true;
}

bool ImportFromBrowserCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    const std::vector<TBrowserProfile> profiles = FindBrowserProfiles(QDir::homePath());
    if (profiles.empty()) {
        if (!AskYesNo(dialogs,
                      QCoreApplication::translate(
                          "BookmarkCommands", "没有找到 Firefox 或 Chromium 系列浏览器的书签。\n"
                                              "要改为导入浏览器导出的书签文件（HTML）吗？")))
            return false;
        return ImportBookmarksCommand(dbAccess, dialogs);
    }
    const int chosen = ChooseBrowserProfile(profiles);
    if (chosen < 0)
        return false;
    TBookmarkImport done;
    {
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        const auto restore = qScopeGuard([] { QGuiApplication::restoreOverrideCursor(); });
        done = ImportBrowserProfile(dbAccess, profiles[size_t(chosen)], QDate::currentDate());
    }
    ShowInfo(dialogs, ImportSummary(done));
    return true;
}

void ExportBookmarksCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    QString target = dialogs.SaveFileName(BookmarkFileFilter());
    if (target.isEmpty())
        return;
    if (!target.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) &&
        !target.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        target += QStringLiteral(".html");
    if (QFileInfo::exists(target) &&
        !AskYesNo(dialogs,
                  QCoreApplication::translate("BookmarkCommands", "文件“%1”已经存在，要替换它吗？")
                      .arg(target)))
        return;
    const QByteArray bytes = ExportBookmarks(dbAccess);
    if (const QString reason = WriteWholeFile(target, bytes); !reason.isEmpty())
        throw ECardError(
            QCoreApplication::translate("BookmarkCommands", "书签文件写入失败：%1").arg(reason));
    ShowInfo(dialogs,
             QCoreApplication::translate("BookmarkCommands", "书签已导出到：%1").arg(target));
}
