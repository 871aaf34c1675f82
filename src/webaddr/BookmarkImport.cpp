#include "webaddr/BookmarkImport.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Sql.h"
#include "data/WriteTransaction.h"
#include "groups/GroupRows.h"
#include "webaddr/BookmarkFile.h"

#include <QCoreApplication>

#include <algorithm>
#include <limits>

namespace {

constexpr char AddGroupStatement[] =
    "insert into IEType(SelfIndex,ParentIndex,TypeName) values (?,?,?)";
constexpr char AddAddressStatement[] =
    "Insert into IE(TypeID,IEUrl,IEName,ReMark)  values(?,?,?,?) ";

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

// Firefox's saved searches and smart folders ("place:" queries) are no addresses anyone typed.
bool IsBrowserQuery(const QString& url)
{
    return url.startsWith(QLatin1String("place:"), Qt::CaseInsensitive);
}

} // namespace

QString RemarkWithTags(const QString& description, const QStringList& tags)
{
    if (tags.isEmpty())
        return description;
    const QString line = QStringLiteral("标签：") + tags.join(QStringLiteral(", "));
    return description.isEmpty() ? line : description + QLatin1Char('\n') + line;
}

qint32 TakeGroupNumber(qint64& next)
{
    if (next > std::numeric_limits<qint32>::max())
        throw ECardError(
            QCoreApplication::translate("BookmarkImport", "分组编号已用完，无法新建分组"));
    return qint32(next++);
}

TBookmarkImporter::TBookmarkImporter(TDbAccess& dbAccess, const QString& caption)
{
    for (const TGroupRow& row : ReadGroupRows(dbAccess, QStringLiteral("IEType"))) {
        FCaptions.insert(row.Caption);
        FNextGroup = std::max(FNextGroup, qint64(row.Key.SelfIndex) + 1);
    }
    dbAccess.OpenQuery(QString::fromUtf16(SqlTemplate::AddressUrls));
    TResultSet& set = dbAccess.QuerySet();
    FStored.reserve(set.RecordCount());
    for (; !set.Eof(); set.Next())
        FStored.insert(set.AsString(0));
    set.Close();
    FOpen.push_back({caption, true, false, 0});
    FWrite = std::make_unique<TWriteTransaction>(dbAccess);
}

TBookmarkImporter::~TBookmarkImporter() = default;

qint32 TBookmarkImporter::MakeOpenFolders()
{
    qint32 parent = 0;
    for (TFolder& folder : FOpen) {
        if (folder.Number == 0) {
            folder.Number = TakeGroupNumber(FNextGroup);
            const QByteArray title = FreeCaption(folder.Title, FCaptions).toUtf8();
            FWrite->Run(AddGroupStatement, {folder.Number, parent, title});
            if (&folder != &FOpen.front())
                ++FDone.Groups;
        }
        parent = folder.Number;
    }
    return parent;
}

void TBookmarkImporter::BeginFolder(const QString& title, bool root)
{
    FOpen.back().Held = true;
    if (int(FOpen.size()) > MaxDepth) {
        ++FBelowDeepest;
        ++FDone.TooDeep;
        return;
    }
    FOpen.push_back({title, root, false, 0});
}

void TBookmarkImporter::EndFolder()
{
    if (FBelowDeepest > 0) {
        --FBelowDeepest;
        return;
    }
    if (FOpen.size() < 2)
        return;
    const TFolder& folder = FOpen.back();
    if (!folder.Held && !folder.Root && folder.Number == 0)
        MakeOpenFolders();
    FOpen.pop_back();
}

void TBookmarkImporter::Link(const QString& link, const QString& title, const QString& remark)
{
    FOpen.back().Held = true;
    // The address is stored as the browser opens it.
    const QString url = BrowserUrl(link);
    if (IsBrowserQuery(url))
        return;
    if (!IsWebAddress(url)) {
        ++FDone.NonWeb;
        return;
    }
    if (FStored.contains(url)) {
        ++FDone.Duplicates;
        return;
    }
    const qint32 group = MakeOpenFolders();
    const QByteArray urlText = url.toUtf8();
    const QByteArray titleText = title.toUtf8();
    const QByteArray remarkText = remark.toUtf8();
    FWrite->Run(AddAddressStatement, {group, urlText, titleText, remarkText});
    ++FDone.Addresses;
}

TBookmarkImport TBookmarkImporter::Commit()
{
    // Folders alone, such as the empty ones of bookmarks imported before, are no import: the
    // same file read again must add nothing.
    if (FDone.Addresses == 0) {
        FWrite.reset();
        FDone.Groups = 0;
        return FDone;
    }
    FWrite->Commit();
    return FDone;
}
