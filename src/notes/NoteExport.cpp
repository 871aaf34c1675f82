#include "notes/NoteExport.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/Sql.h"
#include "groups/GroupRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <vector>

#include <cerrno>
#include <climits>

namespace {

// Leaves room for " (99).txt" within the usual limit of 255 bytes, at three UTF-8 bytes a
// character.
constexpr qsizetype MaxNameLength = 60;

// The root's note is named as the tree shows the root.
QString RootCaption()
{
    return QCoreApplication::translate("NoteExport", "根目录");
}

// The names one folder holds, letter case ignored for systems that ignore it.
class TFolderNames final
{
public:
    explicit TFolderNames(QString path) : FPath(std::move(path)) {}

    const QString& Path() const { return FPath; }

    // The first name "base", "base (2)", ... + suffix that no sibling took and nothing on disk
    // has.
    QString Claim(const QString& base, const QString& suffix)
    {
        QString name = base + suffix;
        for (int number = 2; FTaken.contains(name.toLower()) || QFileInfo::exists(FPath + name);
             ++number)
            name = base + QStringLiteral(" (%1)").arg(number) + suffix;
        FTaken.insert(name.toLower());
        return name;
    }

private:
    QString FPath; // with the trailing separator
    QSet<QString> FTaken;
};

// Writes a new file whole: under a temporary name first, readable by the user alone, then given
// its name, which no file may have taken meanwhile (no file is ever replaced). Returns the reason
// on failure; a failed write leaves nothing behind.
QString WriteNewFile(const QString& path, const QString& text)
{
    TStagedFile file(path);
    if (file.Open() && file.Write(text.toUtf8()))
        file.Commit(false);
    return file.Cause();
}

// The longest path the system takes, in bytes, with its terminating zero.
constexpr qsizetype MaxPathBytes = PATH_MAX;
// What a name may grow by when it is numbered, " (99)", and for the note's ".txt".
constexpr qsizetype NumberBytes = 5;
constexpr qsizetype SuffixBytes = 4;

} // namespace

QString SafeFileName(const QString& caption)
{
    QString name;
    name.reserve(caption.size());
    for (const QChar c : caption) {
        const bool reserved =
            c.unicode() < 32 || c.unicode() == 127 || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += reserved ? QLatin1Char('_') : c;
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    name = name.trimmed();
    if (name.size() > MaxNameLength) {
        name.truncate(MaxNameLength);
        if (name.back().isHighSurrogate())
            name.chop(1);
        name = name.trimmed();
    }
    if (name.isEmpty())
        return QCoreApplication::translate("NoteExport", "未命名");
    static const QSet<QString> devices{
        QStringLiteral("con"),  QStringLiteral("prn"),  QStringLiteral("aux"),
        QStringLiteral("nul"),  QStringLiteral("com1"), QStringLiteral("com2"),
        QStringLiteral("com3"), QStringLiteral("com4"), QStringLiteral("com5"),
        QStringLiteral("com6"), QStringLiteral("com7"), QStringLiteral("com8"),
        QStringLiteral("com9"), QStringLiteral("lpt1"), QStringLiteral("lpt2"),
        QStringLiteral("lpt3"), QStringLiteral("lpt4"), QStringLiteral("lpt5"),
        QStringLiteral("lpt6"), QStringLiteral("lpt7"), QStringLiteral("lpt8"),
        QStringLiteral("lpt9")};
    if (devices.contains(name.section(QLatin1Char('.'), 0, 0).toLower()))
        name.prepend(QLatin1Char('_'));
    return name;
}

int ExportNotes(TDbAccess& dbAccess, const QString& folder)
{
    // The first row of a group is its note, as the editor reads it.
    QHash<qint32, QString> notes;
    dbAccess.OpenQuery(QString::fromUtf16(SqlTemplate::AllNotes));
    for (TResultSet& set = dbAccess.QuerySet(); !set.Eof(); set.Next()) {
        const qint32 typeId = set.AsInteger(QStringLiteral("TypeID"));
        if (!notes.contains(typeId))
            notes.insert(typeId, set.AsString(QStringLiteral("ReMark")));
    }
    dbAccess.QuerySet().Close();

    const std::vector<TGroupRow> groups = ReadGroupRows(dbAccess, QStringLiteral("NoteType"));
    const QString root = QDir(folder).absolutePath() + QLatin1Char('/');

    // Every path is measured before anything is written: a tree too deep for the file system is
    // refused whole rather than written in part.
    QHash<qint32, std::pair<qsizetype, int>> pathOf{{0, {QFile::encodeName(root).size(), 0}}};
    for (const TGroupRow& group : groups) {
        if (group.Key.SelfIndex == 0 || pathOf.contains(group.Key.SelfIndex))
            continue;
        const auto [parentBytes, parentLevel] = pathOf.value(group.Key.ParentIndex, pathOf[0]);
        const qsizetype bytes =
            parentBytes + SafeFileName(group.Caption).toUtf8().size() + NumberBytes + 1;
        if (bytes + bytes - parentBytes + SuffixBytes >= MaxPathBytes)
            throw ECardError(QCoreApplication::translate(
                                 "NoteExport",
                                 "无法导出笔记：分组“%1”在第 %2 层，它的文件夹路径会超过系统允许的 "
                                 "%3 字节。没有写入任何文件。\n请把笔记导出到路径较短的文件夹，或"
                                 "减少分组的层数后再导出。")
                                 .arg(ElidedText(group.Caption, 40))
                                 .arg(parentLevel + 1)
                                 .arg(MaxPathBytes));
        pathOf.insert(group.Key.SelfIndex, {bytes, parentLevel + 1});
    }

    // One entry per folder written into; index 0 is the chosen folder, the root's.
    std::vector<TFolderNames> folders;
    folders.emplace_back(root);
    QHash<qint32, size_t> folderOf{{0, 0}};
    const QString suffix = QStringLiteral(".txt");
    int written = 0;
    const auto failed = [&written, &root](const QString& path, const QString& reason) {
        return ECardError(QCoreApplication::translate("NoteExport",
                                                      "导出笔记失败：“%1”无法写入（%2）。\n已写入 "
                                                      "%n 篇笔记到“%3”，其余的没有导出。",
                                                      nullptr, written)
                              .arg(ElidedPath(path), reason, ElidedPath(root)));
    };
    const auto write = [&](const QString& path, const QString& text) {
        if (const QString reason = WriteNewFile(path, text); !reason.isEmpty())
            throw failed(path, reason);
        ++written;
    };
    if (notes.contains(0))
        write(folders[0].Path() + folders[0].Claim(RootCaption(), suffix), notes.value(0));
    // Parents come before their children (their numbers are smaller); a group whose parent is
    // missing is kept at the top.
    for (const TGroupRow& group : groups) {
        if (group.Key.SelfIndex == 0 || folderOf.contains(group.Key.SelfIndex))
            continue;
        const size_t parent = folderOf.value(group.Key.ParentIndex, 0);
        const QString base = SafeFileName(group.Caption);
        const QString path = folders[parent].Path() + folders[parent].Claim(base, QString());
        // The notes are the user's alone, and so are their folders.
        if (!QDir().mkdir(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner))
            throw failed(path, WriteFailure(errno));
        folders.emplace_back(path + QLatin1Char('/'));
        folderOf.insert(group.Key.SelfIndex, folders.size() - 1);
        const auto note = notes.constFind(group.Key.SelfIndex);
        if (note != notes.constEnd()) {
            TFolderNames& own = folders.back();
            write(own.Path() + own.Claim(base, suffix), note.value());
        }
    }
    return written;
}

void ExportNotesCommand(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    const QString folder = dialogs.DirectoryName();
    if (folder.isEmpty())
        return;
    const int written = ExportNotes(dbAccess, folder);
    ShowInfo(dialogs,
             QCoreApplication::translate("NoteExport", "已导出 %n 篇笔记到：", nullptr, written) +
                 QDir::toNativeSeparators(folder));
}
