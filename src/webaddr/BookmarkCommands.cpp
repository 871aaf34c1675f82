#include "webaddr/BookmarkCommands.h"

#include "common/Errors.h"
#include "common/Messages.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/Sql.h"
#include "groups/GroupRows.h"
#include "webaddr/BookmarkFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSaveFile>
#include <QSet>

#include <algorithm>

namespace {

// Larger files are refused before they are read: no browser writes one.
constexpr qint64 MaxBookmarkFileSize = 100 * 1024 * 1024;

const QString& AddressTable()
{
    static const QString name = QStringLiteral("IEType");
    return name;
}

// Captions stand once in the tree; a taken one gets the first free number.
QString FreeCaption(const QString& wanted, QSet<QString>& taken)
{
    const QString base = wanted.isEmpty() ? QStringLiteral("未命名分组") : wanted;
    QString caption = base;
    for (int number = 2; taken.contains(caption); ++number)
        caption = base + QStringLiteral(" (%1)").arg(number);
    taken.insert(caption);
    return caption;
}

QString ReadBookmarkFile(const QString& path, QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("无法打开书签文件：") + path;
    if (file.size() > MaxBookmarkFileSize)
        return QStringLiteral("书签文件太大（超过 100 MB），未导入任何内容。");
    bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return QStringLiteral("无法读取书签文件：") + path;
    return {};
}

} // namespace

QString BookmarkFileFilter()
{
    return QStringLiteral("书签文件 (*.html *.htm)|*.html;*.htm");
}

TBookmarkImport ImportBookmarks(const QByteArray& bytes, const QDate& today)
{
    const TBookmarkList list = ParseBookmarkFile(bytes);
    TBookmarkImport result;
    result.NonWeb = list.NonWeb;

    QSet<QString> captions;
    qint32 next = 1;
    for (const TGroupRow& row : ReadGroupRows(AddressTable())) {
        captions.insert(row.Caption);
        next = std::max(next, row.Key.SelfIndex + 1);
    }
    QSet<QString> stored;
    DbAccess->OpenQuery(QString::fromUtf16(SqlTemplate::AddressUrls));
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
        stored.insert(set.AsString(0));
    DbAccess->QuerySet().Close();

    QStringList statements;
    const qint32 importGroup = next++;
    statements << Sql::Format(
        SqlTemplate::AddGroup,
        {Sql::Name(AddressTable()), Sql::Number(importGroup), Sql::Number(0),
         Sql::Quoted(
             FreeCaption(QStringLiteral("导入的书签 ") + today.toString(Qt::ISODate), captions))});

    std::vector<qint32> numbers(list.Items.size(), importGroup);
    for (size_t i = 0; i < list.Items.size(); ++i) {
        const TBookmark& item = list.Items[i];
        const qint32 group = item.Parent >= 0 ? numbers[size_t(item.Parent)] : importGroup;
        if (item.Folder) {
            numbers[i] = next++;
            statements << Sql::Format(SqlTemplate::AddGroup,
                                      {Sql::Name(AddressTable()), Sql::Number(numbers[i]),
                                       Sql::Number(group),
                                       Sql::Quoted(FreeCaption(item.Title, captions))});
            ++result.Groups;
        } else if (stored.contains(item.Url)) {
            ++result.Duplicates;
        } else {
            statements << Sql::Format(SqlTemplate::InsertAddress,
                                      {Sql::Number(group), Sql::Quoted(item.Url),
                                       Sql::Quoted(item.Title), Sql::Quoted(item.Description)});
            ++result.Addresses;
        }
    }
    DbExecute(statements.join(QString::fromUtf16(BatchDelimiter)));
    return result;
}

QByteArray ExportBookmarks()
{
    std::vector<TBookmark> items;
    QHash<qint32, int> folderOf; // group number -> its folder's entry
    for (const TGroupRow& row : ReadGroupRows(AddressTable())) {
        if (folderOf.contains(row.Key.SelfIndex))
            continue; // a number twice: the first row is the group the tree shows
        TBookmark folder;
        folder.Folder = true;
        folder.Parent = folderOf.value(row.Key.ParentIndex, -1);
        folder.Title = row.Caption;
        folderOf.insert(row.Key.SelfIndex, int(items.size()));
        items.push_back(std::move(folder));
    }
    DbAccess->OpenQuery(QString::fromUtf16(SqlTemplate::AllAddresses));
    TResultSet& set = DbAccess->QuerySet();
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

bool ImportBookmarksCommand()
{
    const QString path = UserDialogs().OpenFileName(BookmarkFileFilter(), QString());
    if (path.isEmpty())
        return false;
    QByteArray bytes;
    const QString failure = ReadBookmarkFile(path, bytes);
    if (!failure.isEmpty())
        throw ECardError(failure);
    const TBookmarkImport done = ImportBookmarks(bytes, QDate::currentDate());
    QString text = QStringLiteral("已导入 %1 个网址、%2 个分组，跳过 %3 个重复网址")
                       .arg(done.Addresses)
                       .arg(done.Groups)
                       .arg(done.Duplicates);
    if (done.NonWeb > 0)
        text += QStringLiteral("\n另有 %1 个不是网址的链接（如 javascript:、data:）未导入。")
                    .arg(done.NonWeb);
    ShowInfo(text);
    return true;
}

void ExportBookmarksCommand()
{
    QString target = UserDialogs().SaveFileName(BookmarkFileFilter());
    if (target.isEmpty())
        return;
    if (!target.endsWith(QLatin1String(".html"), Qt::CaseInsensitive) &&
        !target.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive))
        target += QStringLiteral(".html");
    if (QFileInfo::exists(target) &&
        !AskYesNo(QStringLiteral("文件“") + target + QStringLiteral("”已经存在，要替换它吗？")))
        return;
    const QByteArray bytes = ExportBookmarks();
    QSaveFile file(target);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw ECardError(QStringLiteral("书签文件写入失败：") + file.errorString());
    ShowInfo(QStringLiteral("书签已导出到：") + target);
}
