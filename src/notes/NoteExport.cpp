#include "notes/NoteExport.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/Sql.h"
#include "groups/GroupRows.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>

#include <vector>

namespace {

// Leaves room for " (99).txt" within the usual limit of 255 bytes, at three UTF-8 bytes a
// character.
constexpr qsizetype MaxNameLength = 60;

const QString& RootCaption()
{
    static const QString caption = QStringLiteral("根目录");
    return caption;
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

void WriteNewFile(const QString& path, const QString& text)
{
    QFile file(path);
    // NewOnly: should the name have been taken meanwhile, the write fails rather than replace.
    const QByteArray bytes = text.toUtf8();
    if (!file.open(QIODevice::WriteOnly | QIODevice::NewOnly) ||
        file.write(bytes) != bytes.size() || !file.flush())
        throw ECardError(QStringLiteral("无法写入文件：") + path + QStringLiteral("\n") +
                         file.errorString());
}

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
        return QStringLiteral("未命名");
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

int ExportNotes(const QString& folder)
{
    // The first row of a group is its note, as the editor reads it.
    QHash<qint32, QString> notes;
    DbAccess->OpenQuery(QString::fromUtf16(SqlTemplate::AllNotes));
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next()) {
        const qint32 typeId = set.AsInteger(QStringLiteral("TypeID"));
        if (!notes.contains(typeId))
            notes.insert(typeId, set.AsString(QStringLiteral("ReMark")));
    }
    DbAccess->QuerySet().Close();

    const std::vector<TGroupRow> groups = ReadGroupRows(QStringLiteral("NoteType"));

    // One entry per folder written into; index 0 is the chosen folder, the root's.
    std::vector<TFolderNames> folders;
    folders.emplace_back(QDir(folder).absolutePath() + QLatin1Char('/'));
    QHash<qint32, size_t> folderOf{{0, 0}};
    const QString suffix = QStringLiteral(".txt");
    int written = 0;
    if (notes.contains(0)) {
        WriteNewFile(folders[0].Path() + folders[0].Claim(RootCaption(), suffix), notes.value(0));
        ++written;
    }
    // Parents come before their children (their numbers are smaller); a group whose parent is
    // missing is kept at the top.
    for (const TGroupRow& group : groups) {
        if (group.Key.SelfIndex == 0 || folderOf.contains(group.Key.SelfIndex))
            continue;
        const size_t parent = folderOf.value(group.Key.ParentIndex, 0);
        const QString base = SafeFileName(group.Caption);
        const QString path = folders[parent].Path() + folders[parent].Claim(base, QString());
        if (!QDir().mkdir(path))
            throw ECardError(QStringLiteral("无法创建文件夹：") + path);
        folders.emplace_back(path + QLatin1Char('/'));
        folderOf.insert(group.Key.SelfIndex, folders.size() - 1);
        const auto note = notes.constFind(group.Key.SelfIndex);
        if (note != notes.constEnd()) {
            TFolderNames& own = folders.back();
            WriteNewFile(own.Path() + own.Claim(base, suffix), note.value());
            ++written;
        }
    }
    return written;
}

void ExportNotesCommand()
{
    const QString folder = UserDialogs().DirectoryName();
    if (folder.isEmpty())
        return;
    const int written = ExportNotes(folder);
    ShowInfo(QStringLiteral("已导出 %1 篇笔记到：").arg(written) +
             QDir::toNativeSeparators(folder));
}
