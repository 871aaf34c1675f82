#include "webaddr/BrowserProfiles.h"

#include "common/Errors.h"
#include "data/ForeignDatabase.h"
#include "data/ResultSet.h"
#include "webaddr/BookmarkImport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>
#include <utility>

namespace {

[[noreturn]] void Refuse(const QString& file, const QString& reason)
{
    throw ECardError(
        QCoreApplication::translate("BrowserProfiles", "无法读取书签：%1\n%2\n未导入任何内容。")
            .arg(QDir::toNativeSeparators(file), reason));
}

// Firefox's profiles.ini: every [Profile…] section's name and folder.
void AddFirefoxProfiles(const QString& folder, const QString& where,
                        std::vector<TBrowserProfile>& profiles)
{
    QFile ini(folder + QStringLiteral("/profiles.ini"));
    if (!ini.open(QIODevice::ReadOnly | QIODevice::Text))
        return;
    struct TSection
    {
        bool Profile = false;
        QString Name;
        QString Path;
        bool Relative = true;
    };
    std::vector<TSection> sections;
    for (const QByteArray& raw : ini.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            sections.push_back({line.startsWith(QLatin1String("[Profile")), {}, {}, true});
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (sections.empty() || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QLatin1String("Name"))
            sections.back().Name = value;
        else if (key == QLatin1String("Path"))
            sections.back().Path = value;
        else if (key == QLatin1String("IsRelative"))
            sections.back().Relative = value != QLatin1String("0");
    }
    for (const TSection& section : sections) {
        if (!section.Profile || section.Path.isEmpty())
            continue;
        const QString path =
            section.Relative ? folder + QLatin1Char('/') + section.Path : section.Path;
        profiles.push_back({true, QStringLiteral("Firefox"), where,
                            section.Name.isEmpty() ? section.Path : section.Name,
                            path + QStringLiteral("/places.sqlite")});
    }
}

// A Chromium-family browser's Default and "Profile N" folders, in that order.
void AddChromiumProfiles(const QString& folder, const QString& browser,
                         std::vector<TBrowserProfile>& profiles)
{
    static const QRegularExpression numbered(QStringLiteral("^Profile (\\d+)$"));
    std::vector<std::pair<int, QString>> found;
    for (const QString& name : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = numbered.match(name);
        if (name == QLatin1String("Default"))
            found.emplace_back(-1, name);
        else if (match.hasMatch())
            found.emplace_back(match.captured(1).toInt(), name);
    }
    std::sort(found.begin(), found.end());
    for (const auto& [number, name] : found) {
        const QString profile = folder + QLatin1Char('/') + name;
        const QString file = profile + QStringLiteral("/Bookmarks");
        const QFileInfo info(profile);
        // A folder that cannot be looked into is listed: reading it says why it fails.
        if (QFileInfo::exists(file) || !info.isReadable() || !info.isExecutable())
            profiles.push_back({false, browser, QString(), name, file});
    }
}

// Firefox's bookmarks table, with each bookmark's address.
struct TPlace
{
    qint64 Id = 0;
    int Type = 0; // 1 bookmark, 2 folder, 3 separator
    qint64 Place = 0;
    qint64 Parent = 0;
    QString Title;
    QString Guid;
    QString Url;
};

std::vector<TPlace> ReadPlaces(const QString& file)
{
    if (!QFileInfo::exists(file))
        Refuse(file, QCoreApplication::translate("BrowserProfiles", "文件不存在。"));
    // The running browser holds its database and writes to it: the copy is read, with the
    // journal that belongs to it.
    QTemporaryDir folder;
    if (!folder.isValid())
        Refuse(file, QCoreApplication::translate("BrowserProfiles", "无法建立临时文件夹：%1")
                         .arg(folder.errorString()));
    const QString copy = folder.filePath(QStringLiteral("places.sqlite"));
    for (const QString& suffix : {QString(), QStringLiteral("-wal"), QStringLiteral("-journal")}) {
        QFile source(file + suffix);
        if (!suffix.isEmpty() && !source.exists())
            continue;
        if (!source.copy(copy + suffix))
            Refuse(file + suffix, QCoreApplication::translate("BrowserProfiles", "无法复制：%1")
                                      .arg(source.errorString()));
    }
    QString error;
    const TConnection connection = OpenForeignDatabase(copy, &error);
    TResultSet set;
    if (connection)
        error =
            set.Open(connection.get(),
                     QStringLiteral("select b.id, b.type, b.fk, b.parent, b.title, b.guid, p.url "
                                    "from moz_bookmarks b left join moz_places p on "
                                    "p.id = b.fk order by b.parent, b.position, b.id"),
                     false);
    if (!error.isEmpty()) {
        QString reason = error;
        if (error.contains(QLatin1String("no such")))
            reason += QCoreApplication::translate(
                "BrowserProfiles", "（这个数据库可能来自过旧或过新的 Firefox 版本）");
        else if (error.contains(QLatin1String("locked")) || error.contains(QLatin1String("busy")) ||
                 error.contains(QLatin1String("readonly")))
            reason += QCoreApplication::translate(
                "BrowserProfiles", "（Firefox 正在写入书签，请关闭 Firefox 后再试）");
        Refuse(file, reason);
    }
    std::vector<TPlace> places;
    places.reserve(size_t(set.RecordCount()));
    for (int row = 0; row < set.RecordCount(); ++row)
        places.push_back({set.Value(row, 0).toLongLong(), set.Value(row, 1).toInt(),
                          set.Value(row, 2).toLongLong(), set.Value(row, 3).toLongLong(),
                          set.Value(row, 4).toString(), set.Value(row, 5).toString(),
                          set.Value(row, 6).toString()});
    return places;
}

void ReadFirefox(const QString& file, TBookmarkSink& sink)
{
    enum
    {
        Bookmark = 1,
        Folder = 2
    };
    const std::vector<TPlace> places = ReadPlaces(file);
    // Folder id -> its entries in order (the query sorted them by folder and position).
    QHash<qint64, std::vector<int>> entries;
    QHash<QString, qint64> roots;
    for (int i = 0; i < int(places.size()); ++i) {
        const TPlace& place = places[size_t(i)];
        entries[place.Parent].push_back(i);
        if (place.Type == Folder && place.Guid.endsWith(QLatin1Char('_')))
            roots.insert(place.Guid, place.Id);
    }
    const std::vector<int> none;
    const auto entriesOf = [&](qint64 folder) -> const std::vector<int>& {
        const auto found = entries.constFind(folder);
        return found == entries.constEnd() ? none : *found;
    };

    // A tag is a folder under the tags root holding one bookmark of each tagged address.
    QHash<qint64, QStringList> tags;
    if (roots.contains(QStringLiteral("tags________")))
        for (const int tag : entriesOf(roots.value(QStringLiteral("tags________"))))
            for (const int tagged : entriesOf(places[size_t(tag)].Id))
                if (places[size_t(tag)].Type == Folder && places[size_t(tagged)].Type == Bookmark)
                    tags[places[size_t(tagged)].Place] << places[size_t(tag)].Title;

    static const std::pair<const char*, const char16_t*> shown[] = {
        {"toolbar_____", u"书签工具栏"},
        {"menu________", u"书签菜单"},
        {"unfiled_____", u"其他书签"},
        {"mobile______", u"移动设备书签"}};
    bool anyRoot = false;
    QSet<qint64> walked; // a damaged table whose folders go round is read once
    for (const auto& [guid, caption] : shown) {
        const auto root = roots.constFind(QLatin1String(guid));
        if (root == roots.constEnd())
            continue;
        anyRoot = true;
        sink.BeginFolder(QString::fromUtf16(caption), true);
        walked.insert(*root);
        std::vector<std::pair<const std::vector<int>*, size_t>> stack{{&entriesOf(*root), 0}};
        while (!stack.empty()) {
            auto& [list, next] = stack.back();
            if (next >= list->size()) {
                stack.pop_back();
                sink.EndFolder();
                continue;
            }
            const TPlace& place = places[size_t((*list)[next++])];
            if (place.Type == Folder && !walked.contains(place.Id)) {
                walked.insert(place.Id);
                sink.BeginFolder(place.Title);
                stack.emplace_back(&entriesOf(place.Id), 0);
            } else if (place.Type == Bookmark) {
                sink.Link(place.Url, place.Title,
                          RemarkWithTags(QString(), tags.value(place.Place)));
            }
        }
    }
    if (!anyRoot)
        Refuse(file, QCoreApplication::translate(
                         "BrowserProfiles",
                         "其中没有 Firefox 的书签根文件夹（这个数据库可能来自过旧或过新的 "
                         "Firefox 版本）。"));
}

// What a Chromium-family browser's Bookmarks file should be and is not.
[[noreturn]] void RefuseShape(const QString& file, const QString& where)
{
    Refuse(file, QCoreApplication::translate("BrowserProfiles",
                                             "文件的结构不是 Chromium 书签文件的结构（%1）。")
                     .arg(where));
}

void ReadChromium(const QString& file, TBookmarkSink& sink)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        Refuse(file, input.errorString());
    QJsonParseError parseError{};
    const QJsonDocument document = QJsonDocument::fromJson(input.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        Refuse(file, QCoreApplication::translate("BrowserProfiles", "文件不是有效的 JSON：%1")
                         .arg(parseError.errorString()));
    const QJsonValue roots = document.object().value(QLatin1String("roots"));
    if (!roots.isObject())
        RefuseShape(file, QStringLiteral("roots"));
    static const std::pair<const char*, const char16_t*> shown[] = {
        {"bookmark_bar", u"书签栏"}, {"other", u"其他书签"}, {"synced", u"移动设备书签"}};
    bool anyRoot = false;
    for (const auto& [key, caption] : shown) {
        const QJsonValue root = roots.toObject().value(QLatin1String(key));
        if (root.isUndefined())
            continue;
        const QJsonValue children = root.toObject().value(QLatin1String("children"));
        if (!children.isArray())
            RefuseShape(file, QLatin1String(key));
        anyRoot = true;
        sink.BeginFolder(QString::fromUtf16(caption), true);
        std::vector<std::pair<QJsonArray, qsizetype>> stack{{children.toArray(), 0}};
        while (!stack.empty()) {
            if (stack.back().second >= stack.back().first.size()) {
                stack.pop_back();
                sink.EndFolder();
                continue;
            }
            const QJsonValue entry = stack.back().first.at(stack.back().second++);
            const QJsonObject node = entry.toObject();
            const QString type = node.value(QLatin1String("type")).toString();
            const QJsonValue name = node.value(QLatin1String("name"));
            if (!entry.isObject() || !(name.isString() || name.isUndefined()))
                RefuseShape(file, QLatin1String(key));
            if (type == QLatin1String("url")) {
                const QJsonValue url = node.value(QLatin1String("url"));
                if (!url.isString())
                    RefuseShape(file, QLatin1String(key));
                sink.Link(url.toString(), name.toString(), QString());
            } else if (type == QLatin1String("folder")) {
                const QJsonValue inner = node.value(QLatin1String("children"));
                if (!inner.isArray())
                    RefuseShape(file, QLatin1String(key));
                sink.BeginFolder(name.toString());
                stack.emplace_back(inner.toArray(), 0);
            } else {
                RefuseShape(file, QLatin1String(key));
            }
        }
    }
    if (!anyRoot)
        RefuseShape(file, QStringLiteral("roots"));
}

} // namespace

QString TBrowserProfile::Label() const
{
    return Browser +
           (Where.isEmpty() ? QString() : QStringLiteral(" (") + Where + QLatin1Char(')')) +
           QStringLiteral(" — ") + Profile;
}

std::vector<TBrowserProfile> FindBrowserProfiles(const QString& home)
{
    std::vector<TBrowserProfile> profiles;
    AddFirefoxProfiles(home + QStringLiteral("/.mozilla/firefox"), QString(), profiles);
    AddFirefoxProfiles(home + QStringLiteral("/.var/app/org.mozilla.firefox/.mozilla/firefox"),
                       QStringLiteral("Flatpak"), profiles);
    AddFirefoxProfiles(home + QStringLiteral("/snap/firefox/common/.mozilla/firefox"),
                       QStringLiteral("Snap"), profiles);
    static const std::pair<const char*, const char*> chromium[] = {
        {"chromium", "Chromium"},
        {"google-chrome", "Google Chrome"},
        {"BraveSoftware/Brave-Browser", "Brave"},
        {"microsoft-edge", "Microsoft Edge"},
        {"vivaldi", "Vivaldi"}};
    for (const auto& [folder, browser] : chromium)
        AddChromiumProfiles(home + QStringLiteral("/.config/") + QLatin1String(folder),
                            QLatin1String(browser), profiles);
    return profiles;
}

void ReadBrowserBookmarks(const TBrowserProfile& profile, TBookmarkSink& sink)
{
    if (profile.Firefox)
        ReadFirefox(profile.Bookmarks, sink);
    else
        ReadChromium(profile.Bookmarks, sink);
}
