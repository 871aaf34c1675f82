#include "FileSizeLimit.h"
#include "ModalDriver.h"
#include "ProfileKit.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "WebAddrKit.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "webaddr/BookmarkCommands.h"
#include "webaddr/BookmarkFile.h"
#include "webaddr/BrowserProfiles.h"
#include "webaddr/FormBrowserImport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QStringEncoder>
#include <QtTest>

#include <limits>

#include <sqlcipher/sqlite3.h>

using namespace ProfileKit;
using namespace WebAddrKit;

namespace {

const QDate Today(2026, 12, 7);

struct TGroup
{
    int SelfIndex;
    int ParentIndex;
    QString Name;
};

QList<TGroup> Groups(TDbAccess& db)
{
    db.OpenQuery(QStringLiteral("select * from IEType order by SelfIndex"));
    QList<TGroup> groups;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        groups.append({set.AsInteger(QStringLiteral("SelfIndex")),
                       set.AsInteger(QStringLiteral("ParentIndex")),
                       set.AsString(QStringLiteral("TypeName"))});
    return groups;
}

// The group's path of names below the root, "a/b/c"; "" for the root or a missing group.
QString PathOf(int typeId, const QList<TGroup>& groups, int skipTop = 0)
{
    QStringList names;
    for (int guard = 0; typeId != 0 && guard < 5000; ++guard) {
        const auto it = std::find_if(groups.begin(), groups.end(),
                                     [typeId](const TGroup& g) { return g.SelfIndex == typeId; });
        if (it == groups.end())
            break;
        names.prepend(it->Name);
        typeId = it->ParentIndex;
    }
    return names.mid(skipTop).join(QLatin1Char('/'));
}

// Every address as "group path|url|title|remark", sorted.
QStringList Addresses(TDbAccess& db, int skipTop = 0)
{
    const QList<TGroup> groups = Groups(db);
    QStringList lines;
    for (const TRow& row : Rows(db))
        lines << PathOf(row.TypeID, groups, skipTop) + QLatin1Char('|') + row.IEUrl +
                     QLatin1Char('|') + row.IEName + QLatin1Char('|') + row.ReMark;
    lines.sort();
    return lines;
}

QStringList GroupPaths(TDbAccess& db, int skipTop = 0)
{
    const QList<TGroup> groups = Groups(db);
    QStringList paths;
    for (const TGroup& group : groups)
        paths << PathOf(group.SelfIndex, groups, skipTop);
    paths.sort();
    return paths;
}

QByteArray File(const QByteArray& body,
                const QByteArray& head = "<META HTTP-EQUIV=\"Content-Type\" "
                                         "CONTENT=\"text/html; "
                                         "charset=UTF-8\">\n")
{
    return "<!DOCTYPE NETSCAPE-Bookmark-file-1>\n" + head +
           "<TITLE>Bookmarks</TITLE>\n<H1>Bookmarks</H1>\n<DL><p>\n" + body + "</DL><p>\n";
}

} // namespace

class TestBookmarks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // An exported tree read into an empty database comes back group for group and address for
    // address, texts exact; read again, every address counts as a duplicate, and no group is
    // made at all.
    void exportThenImportGivesTheSameTree()
    {
        QByteArray exported;
        QStringList addresses;
        QStringList groupPaths;
        {
            TTestFolder folder;
            folder.Connect();
            AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
            AddGroupRow(folder.Db(), 2, 1, QStringLiteral("a & <b>"));
            AddGroupRow(folder.Db(), 3, 2, QStringLiteral("  深处  "));
            AddGroupRow(folder.Db(), 4, 0, QStringLiteral("empty"));
            AddRow(folder.Db(), 0, QStringLiteral("https://root.example/?a=1&b=\"2\""),
                   QStringLiteral("根"));
            AddRow(folder.Db(), 2, QStringLiteral("www.bare.cn"),
                   QStringLiteral("it's <i>x</i> &amp;"),
                   QStringLiteral("line 1\r\nline 2\n\t  indented  "));
            AddRow(folder.Db(), 3, QStringLiteral("ftp://files.example/a b.txt"),
                   QStringLiteral("  two  spaces "));
            AddRow(folder.Db(), 1, QStringLiteral("www.bare.cn"), QString(),
                   QStringLiteral("same address"));
            AddRow(folder.Db(), 77, QStringLiteral("http://orphan.example"),
                   QStringLiteral("孤儿"));
            exported = ExportBookmarks(folder.Db());
            addresses = Addresses(folder.Db());
            groupPaths = GroupPaths(folder.Db());
        }

        TTestFolder folder;
        folder.Connect();
        const TBookmarkImport first = ImportBookmarks(folder.Db(), exported, Today);
        QCOMPARE(first.Addresses, 5);
        QCOMPARE(first.Groups, 4);
        QCOMPARE(first.Duplicates, 0);
        const QList<TGroup> groups = Groups(folder.Db());
        QCOMPARE(groups.first().Name, QStringLiteral("导入的书签 2026-12-07"));
        QCOMPARE(groups.first().ParentIndex, 0);
        QCOMPARE(GroupPaths(folder.Db(), 1).mid(1), groupPaths);
        QCOMPARE(Addresses(folder.Db(), 1), addresses);
        for (const TGroup& group : groups)
            QVERIFY(group.SelfIndex > group.ParentIndex);

        // Again: no address is stored, so not even the folder empty in the file is made anew.
        const TBookmarkImport second = ImportBookmarks(folder.Db(), exported, Today);
        QCOMPARE(second.Addresses, 0);
        QCOMPARE(second.Duplicates, 5);
        QCOMPARE(second.Groups, 0);
        QCOMPARE(Groups(folder.Db()).size(), groups.size());
        QCOMPARE(Rows(folder.Db()).size(), 5);
    }

    // A browser's file: titles as a browser shows them, descriptions as written and tags as
    // remarks, links that are not web addresses left out and counted, a '>' inside a quoted
    // attribute value no end, a folder of stored addresses not made.
    void browserFileReadAsShown()
    {
        TTestFolder folder;
        folder.Connect();
        AddRow(folder.Db(), 0, QStringLiteral("https://stored.example/"));
        AddRow(folder.Db(), 0, QStringLiteral("https://Stored.example/Caps"));
        const QByteArray body =
            "<DT><H3 ADD_DATE=\"1\">Bar &amp; <b>co</b></H3>\n"
            "<DD>a folder's description\n"
            "<DL><p>\n"
            "  <HR>\n"
            "  <DT><A HREF=\"https://x.example/?q=a>b&amp;c=d\" TAGS=\"news, a&amp;b,,\" "
            "ICON=\"data:image/png;base64,AA==\">"
            "A &lt;tag&gt; &#x4E2D;&#25991; <span class='x'>span</span>\n   wrapped</A>\n"
            "  <DD>Some &quot;notes&quot;\n    over lines\n"
            "  <DT><A HREF=\"javascript:alert(1)\">bookmarklet</A>\n"
            "  <DD>described bookmarklet\n"
            "  <DT><A HREF=\"data:text/html,<b>x</b>\">data</A>\n"
            "  <DT><A HREF='https://stored.example/'>already stored</A>\n"
            "  <DT><A HREF='https://Stored.example/Caps'>stored in capitals</A>\n"
            "  <DT><A HREF='https://stored.example/caps'>other</A>\n"
            "  <DT><A HREF=\"HTTP://upper.example\">&bogus; &amp a < b</A>\n"
            "  <DT><H3>stored only</H3>\n  <DL><p>\n"
            "    <DT><A HREF=\"https://stored.example/\">again</A>\n"
            "    <DT><A HREF=\"place:sort=8&amp;maxResults=10\">Most visited</A>\n"
            "  </DL><p>\n"
            "</DL><p>\n";
        const TBookmarkImport done = ImportBookmarks(folder.Db(), File(body), Today);
        QCOMPARE(done.Addresses, 3);
        QCOMPARE(done.Groups, 1);
        QCOMPARE(done.Duplicates, 3);
        QCOMPARE(done.NonWeb, 2);
        QCOMPARE(Addresses(folder.Db(), 1),
                 QStringList({QStringLiteral("Bar & co|HTTP://upper.example|&bogus; &amp a < b|"),
                              QStringLiteral("Bar & co|https://stored.example/caps|other|"),
                              QStringLiteral("Bar & co|https://x.example/?q=a>b&c=d|A <tag> 中文 "
                                             "span wrapped|Some \"notes\"\n    over "
                                             "lines\n标签：news, a&b"),
                              QStringLiteral("|https://Stored.example/Caps||"),
                              QStringLiteral("|https://stored.example/||")}));
    }

    // The encoding the meta tag names is the one the file is read in.
    void encodingFromMetaTag()
    {
        TTestFolder folder;
        folder.Connect();
        QStringEncoder gbk("GBK");
        const QByteArray body = "<DT><A HREF=\"http://cn.example\">" +
                                QByteArray(gbk(QStringLiteral("中文标题"))) + "</A>\n";
        ImportBookmarks(folder.Db(),
                        File(body, "<meta http-equiv='Content-Type' content='text/html; "
                                   "charset=gbk'>\n"),
                        Today);
        QCOMPARE(Rows(folder.Db()).constFirst().IEName, QStringLiteral("中文标题"));
    }

    // Links are judged as a browser reads them, from a file and from a profile alike: only web
    // addresses are imported, each as the browser would open it.
    void linksJudgedAsABrowserReadsThem_data()
    {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("stored"); // empty: not imported
        QTest::newRow("file") << QStringLiteral("file:///etc/passwd") << QString();
        QTest::newRow("tab in the scheme") << QStringLiteral("java\tscript:alert(5)") << QString();
        QTest::newRow("line break in the scheme")
            << QStringLiteral("java\r\nscript:alert(5)") << QString();
        QTest::newRow("scheme in capitals") << QStringLiteral("JavaScript:alert(5)") << QString();
        QTest::newRow("drive letter") << QStringLiteral("c:\\Windows\\x.html") << QString();
        QTest::newRow("web in capitals")
            << QStringLiteral("HTTPS://a.example/") << QStringLiteral("HTTPS://a.example/");
        QTest::newRow("tab in a web address")
            << QStringLiteral(" ht\ttp://b.example/\n") << QStringLiteral("http://b.example/");
        QTest::newRow("ftp") << QStringLiteral("ftp://c.example/")
                             << QStringLiteral("ftp://c.example/");
        QTest::newRow("host and port")
            << QStringLiteral("www.d.example:8080") << QStringLiteral("www.d.example:8080");
    }

    void linksJudgedAsABrowserReadsThem()
    {
        QFETCH(QString, link);
        QFETCH(QString, stored);
        QTemporaryDir home;
        const QByteArray url = QJsonDocument(QJsonArray{link}).toJson(QJsonDocument::Compact);
        WriteChromiumBookmarks(
            home.path(), QStringLiteral("chromium"), QStringLiteral("Default"),
            "{\"roots\": {\"other\": {\"children\": [{\"type\": \"url\", \"url\": " +
                url.mid(1, url.size() - 2) + "}]}}}");
        TTestFolder folder;
        folder.Connect();
        const TBookmarkImport fromFile = ImportBookmarks(
            folder.Db(), File("<DT><A HREF=\"" + link.toUtf8() + "\">t</A>\n"), Today);
        const TBookmarkImport fromProfile =
            ImportBrowserProfile(folder.Db(), FindBrowserProfiles(home.path()).at(0), Today);
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.isEmpty() ? QString() : rows.constFirst().IEUrl, stored);
        QVERIFY(rows.size() <= 1);
        QCOMPARE(fromFile.NonWeb + fromProfile.NonWeb, stored.isEmpty() ? 2 : 0);
    }

    // Files that cannot be read say so and add nothing at all.
    void badFilesImportNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray good = File("<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example\">"
                                     "a</A>\n</DL><p>\n");
        QTest::newRow("other html") << QByteArray("<html><body><a href=\"http://a.b\">x</a>")
                                    << QStringLiteral("不是浏览器导出的书签文件");
        QTest::newRow("empty") << QByteArray() << QStringLiteral("不是浏览器导出的书签文件");
        QTest::newRow("truncated") << good.left(good.indexOf("a</A>")) << QStringLiteral("不完整");
        QTest::newRow("unclosed list")
            << good.left(good.lastIndexOf("</DL>")) << QStringLiteral("不完整");
        QTest::newRow("cut in a tag")
            << good.left(good.indexOf("HREF") + 6) << QStringLiteral("不完整");
        QTest::newRow("open comment") << File("<!-- x") << QStringLiteral("不完整");
        QTest::newRow("unknown encoding")
            << File("", "<META CONTENT=\"text/html; charset=x-no-such-code\">")
            << QStringLiteral("x-no-such-code");
    }

    void badFilesImportNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        TTestFolder folder;
        folder.Connect();
        try {
            ImportBookmarks(folder.Db(), bytes, Today);
            QFAIL("imported");
        } catch (const ECardError& error) {
            QVERIFY2(error.Message().contains(message), qUtf8Printable(error.Message()));
        }
        QVERIFY(Groups(folder.Db()).isEmpty());
        QVERIFY(Rows(folder.Db()).isEmpty());
    }

    // Folders a thousand deep keep their links at the deepest level the tree keeps.
    void deepFolders()
    {
        TTestFolder folder;
        folder.Connect();
        const int depth = 1000;
        QByteArray deep;
        for (int i = 0; i < depth; ++i)
            deep += "<DT><H3>d" + QByteArray::number(i) + "</H3>\n<DL><p>\n";
        deep += "<DT><A HREF=\"http://deep.example\">deep</A>\n";
        for (int i = 0; i < depth; ++i)
            deep += "</DL><p>\n";
        // Many '&' without a ';' in a title: one pass, however many there are.
        deep += "<DT><A HREF=\"http://amp.example\">" + QByteArray(2'000'000, '&') + "</A>\n";
        const TBookmarkImport done = ImportBookmarks(folder.Db(), File(deep), Today);
        QCOMPARE(done.Groups, TBookmarkImporter::MaxDepth);
        QCOMPARE(done.Groups + done.TooDeep, depth);
        QVERIFY(ImportSummary(done).contains(QString::number(done.TooDeep)));
        QCOMPARE(Addresses(folder.Db(), 1).constFirst().section(QLatin1Char('|'), 0, 0),
                 GroupPaths(folder.Db(), 1).constLast());
    }

    // A 50 MB file (browsers put each site's icon into its link) is read in pieces: markup and
    // comments that run across pieces are read whole, a cancel stores nothing.
    void largeFileReadInPieces()
    {
        TTestFolder folder;
        folder.Connect();
        const QByteArray icon(10000, 'A');
        QByteArray large =
            "<!--" + QByteArray(600'000, '-') + "<DT><A HREF=\"http://in.comment\">x</A>\n-->\n";
        const int links = 5200;
        for (int i = 0; i < links; ++i)
            large += "<DT><A HREF=\"http://big.example/" + QByteArray::number(i) +
                     "\" ICON=\"data:image/png;base64," + icon + "\" TAGS=\"t" +
                     QByteArray::number(i) + "\">big</A>\n";
        QVERIFY(large.size() > 50'000'000);
        folder.WriteFile(QStringLiteral("large.html"), File(large));
        const QString path = folder.Path() + QStringLiteral("large.html");

        struct TCountdown final : TImportProgress
        {
            int Left;
            qint64 Done = 0;
            explicit TCountdown(int left) : Left(left) {}
            bool Advance(qint64 done, qint64) override
            {
                Done = done;
                return --Left != 0;
            }
        };
        TCountdown cancelled(2);
        QVERIFY_THROWS_EXCEPTION(EAbort, ImportBookmarkFile(folder.Db(), path, Today, &cancelled));
        QVERIFY(Groups(folder.Db()).isEmpty());
        QVERIFY(Rows(folder.Db()).isEmpty());

        TCountdown whole(-1);
        QCOMPARE(ImportBookmarkFile(folder.Db(), path, Today, &whole).Addresses, links);
        QCOMPARE(whole.Done, QFileInfo(path).size());
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.size(), links);
        for (int i : {0, 26, links - 1})
            QCOMPARE(rows[i].ReMark, RemarkWithTags({}, {QStringLiteral("t%1").arg(i)}));
    }

    // Group numbers are the largest plus one; an import that would need one past the largest
    // number there is refuses and stores nothing.
    void groupNumbersRunOut_data()
    {
        QTest::addColumn<int>("largest");
        QTest::addColumn<bool>("fits");
        QTest::newRow("two left") << std::numeric_limits<qint32>::max() - 2 << true;
        QTest::newRow("one left") << std::numeric_limits<qint32>::max() - 1 << false;
        QTest::newRow("none left") << std::numeric_limits<qint32>::max() << false;
    }

    void groupNumbersRunOut()
    {
        QFETCH(int, largest);
        QFETCH(bool, fits);
        TTestFolder folder;
        folder.Connect();
        AddGroupRow(folder.Db(), largest, 0, QStringLiteral("last"));
        const QByteArray file =
            File("<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example\">a</A>\n</DL><p>\n");
        if (fits)
            ImportBookmarks(folder.Db(), file, Today);
        else
            QVERIFY_THROWS_EXCEPTION(ECardError, ImportBookmarks(folder.Db(), file, Today));
        QCOMPARE(Groups(folder.Db()).size(), fits ? 3 : 1);
    }

    // Firefox's and the Chromium family's profiles under the home folder are found and read as
    // the browsers keep them, Firefox's while the browser holds its database.
    void browserProfilesImported()
    {
        QTemporaryDir home;
        TTestFolder folder;
        folder.Connect();
        AddRow(folder.Db(), 0, QStringLiteral("https://stored.example/"));
        TFirefoxProfile firefox(home.path(), QStringLiteral("default-release"));
        const qint64 work =
            firefox.Folder(TFirefoxProfile::Root("toolbar_____"), QStringLiteral("工作"));
        firefox.Link(work, QStringLiteral("https://a.example/"), QStringLiteral("A"),
                     {QStringLiteral("news"), QStringLiteral("read")});
        firefox.Separator(work);
        firefox.Link(work, QStringLiteral("place:sort=8"), QStringLiteral("Most visited"));
        firefox.Link(TFirefoxProfile::Root("menu________"),
                     QStringLiteral("https://stored.example/"), QStringLiteral("stored"));
        firefox.Folder(TFirefoxProfile::Root("unfiled_____"), QStringLiteral("空"));
        firefox.Execute(QStringLiteral("begin exclusive"));
        const QByteArray json =
            "{\"roots\": {\"bookmark_bar\": {\"children\": [{\"type\": \"folder\",\n"
            "            \"name\": \"F\", \"children\": [{\"type\": \"url\", \"name\": \"C\", "
            "\"url\": \"https://c.example/\"}]}],\n"
            "            \"name\": \"Bookmarks bar\", \"type\": \"folder\"}, \"other\": "
            "{\"children\": [], \"type\": \"folder\"},\n"
            "            \"synced\": {\"children\": [], \"type\": \"folder\"}}, \"version\": 1}";
        WriteChromiumBookmarks(home.path(), QStringLiteral("chromium"), QStringLiteral("Default"),
                               json);
        WriteChromiumBookmarks(home.path(), QStringLiteral("google-chrome"),
                               QStringLiteral("Profile 2"), json);
        QDir(home.path()).mkpath(QStringLiteral(".config/google-chrome/System Profile"));

        const std::vector<TBrowserProfile> profiles = FindBrowserProfiles(home.path());
        QStringList labels;
        for (const TBrowserProfile& profile : profiles)
            labels << profile.Label();
        QCOMPARE(labels, QStringList({QStringLiteral("Firefox — default-release"),
                                      QStringLiteral("Chromium — Default"),
                                      QStringLiteral("Google Chrome — Profile 2")}));
        const TBookmarkImport fromFirefox = ImportBrowserProfile(folder.Db(), profiles[0], Today);
        QCOMPARE(fromFirefox.Duplicates, 1);
        QCOMPARE(fromFirefox.NonWeb, 0);
        ImportBrowserProfile(folder.Db(), profiles[1], Today);
        QCOMPARE(Addresses(folder.Db()),
                 QStringList({QStringLiteral("|https://stored.example/||"),
                              QStringLiteral("从 Chromium 导入 2026-12-07/书签栏/F|"
                                             "https://c.example/|C|"),
                              QStringLiteral("从 Firefox 导入 2026-12-07/书签工具栏/"
                                             "工作|https://a.example/|A|标签：news, read")}));
        QCOMPARE(GroupPaths(folder.Db(), 1).filter(QStringLiteral("/")),
                 QStringList({QStringLiteral("书签工具栏/工作"), QStringLiteral("书签栏/F"),
                              QStringLiteral("其他书签/空")}));
    }

    // Profiles that cannot be read say which file and store nothing.
    void badProfilesImportNothing_data()
    {
        QTest::addColumn<bool>("firefox");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("no places.sqlite") << true << QString() << QByteArray();
        QTest::newRow("damaged") << true << QString() << QByteArray(8192, 'x');
        QTest::newRow("no tables") << true << QStringLiteral("create table t(x)") << QByteArray();
        QTest::newRow("older schema")
            << true
            << QStringLiteral("create table moz_places(id integer primary key, url); create table "
                              "moz_bookmarks(id integer primary key, type, fk, parent, position, "
                              "title)")
            << QByteArray();
        QTest::newRow("no roots")
            << true
            << QStringLiteral("create table moz_places(id integer primary key, url); create table "
                              "moz_bookmarks(id integer primary key, type, fk, parent, position, "
                              "title, guid)")
            << QByteArray();
        QTest::newRow("not JSON") << false << QString() << QByteArray("{\"roots\": ");
        QTest::newRow("roots a list") << false << QString() << QByteArray("{\"roots\": []}");
        QTest::newRow("children no list")
            << false << QString() << QByteArray("{\"roots\": {\"other\": {\"children\": {}}}}");
        QTest::newRow("address no text")
            << false << QString()
            << QByteArray(
                   "{\"roots\": {\"other\": {\"children\": [{\"type\": \"url\", \"url\": 5}]}}}");
        QTest::newRow("half read")
            << false << QString()
            << QByteArray("{\"roots\": {\"other\": {\"children\": [{\"type\": \"url\", \"url\": "
                          "\"http://a.b\"},\n"
                          "                          {\"type\": \"folder\", \"name\": \"x\"}]}}}");
    }

    void badProfilesImportNothing()
    {
        QFETCH(bool, firefox);
        QFETCH(QString, sql);
        QFETCH(QByteArray, bytes);
        QTemporaryDir home;
        TTestFolder folder;
        folder.Connect();
        TBrowserProfile profile;
        profile.Firefox = firefox;
        profile.Bookmarks = home.filePath(QStringLiteral("bookmarks"));
        if (!sql.isEmpty()) {
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(profile.Bookmarks).constData(), &db);
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
            sqlite3_close(db);
        }
        QFile file(profile.Bookmarks);
        QVERIFY(bytes.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(bytes) > 0));
        file.close();
        try {
            ImportBrowserProfile(folder.Db(), profile, Today);
            QFAIL("imported");
        } catch (const ECardError& error) {
            QVERIFY2(error.Message().contains(profile.Bookmarks), qUtf8Printable(error.Message()));
        }
        QVERIFY(Groups(folder.Db()).isEmpty());
        QVERIFY(Rows(folder.Db()).isEmpty());
    }

    // The command lists the profiles found and imports the one chosen; without any it offers
    // the file import.
    void browserCommandImportsTheChosenProfile()
    {
        QTemporaryDir home;
        const QByteArray oldHome = qgetenv("HOME");
        qputenv("HOME", QFile::encodeName(home.path()));
        const auto restore = qScopeGuard([&] { qputenv("HOME", oldHome); });
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        QVERIFY(!ImportFromBrowserCommand(folder.Db(), dialogs));
        QCOMPARE(dialogs.Boxes.size(), 1);
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Question);

        for (const char* browser : {"chromium", "vivaldi"})
            WriteChromiumBookmarks(
                home.path(), QLatin1String(browser), QStringLiteral("Default"),
                "{\"roots\": {\"other\": {\"children\": [{\"type\": \"url\", \"url\": \"http://" +
                    QByteArray(browser) + ".example\"}]}}}");
        TModalDriver driver;
        driver.When<TFormBrowserImport>([](TFormBrowserImport* dialog) {
            QTest::keyClick(dialog->focusWidget(), Qt::Key_Down);
            dialog->btnOK->click();
        });
        QVERIFY(ImportFromBrowserCommand(folder.Db(), dialogs));
        QCOMPARE(Rows(folder.Db()).size(), 1);
        QCOMPARE(Rows(folder.Db())[0].IEUrl, QStringLiteral("http://vivaldi.example"));
        QVERIFY(Groups(folder.Db())[0].Name.startsWith(QStringLiteral("从 Vivaldi 导入 ")));
        QCOMPARE(dialogs.Boxes.size(), 2);
    }

    // The command reads the chosen file and says what it did in one box.
    void importCommandReports()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(folder.Db(), 0, QStringLiteral("http://dup.example"));
        folder.WriteFile(QStringLiteral("b.html"),
                         File("<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example\">a</A>\n"
                              "<DT><A HREF=\"http://dup.example\">dup</A>\n"
                              "<DT><A HREF=\"javascript:void(0)\">js</A>\n</DL><p>\n"));
        dialogs.FileNames << folder.Path() + QStringLiteral("b.html");
        QVERIFY(ImportBookmarksCommand(folder.Db(), dialogs));
        QCOMPARE(dialogs.FileFilters.constFirst().section(QLatin1Char('|'), 0, 0),
                 QStringLiteral("书签文件 (*.html *.htm)"));
        QCOMPARE(dialogs.Texts().constFirst().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("已导入 1 个网址、1 个分组，跳过 1 个重复网址"));
        QCOMPARE(Rows(folder.Db()).size(), 2);
    }

    // An existing file is replaced only after a Yes.
    void exportCommandAsksBeforeReplacing()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(folder.Db(), 0, QStringLiteral("http://a.example"));
        folder.WriteFile(QStringLiteral("old.html"), "keep");
        dialogs.FileNames << folder.Path() + QStringLiteral("old.html")
                          << folder.Path() + QStringLiteral("old");
        ExportBookmarksCommand(folder.Db(), dialogs);
        QCOMPARE(folder.ReadFile(QStringLiteral("old.html")), QByteArray("keep"));
        dialogs.Answers << true;
        ExportBookmarksCommand(folder.Db(), dialogs);
        QVERIFY(folder.ReadFile(QStringLiteral("old.html")).contains("http://a.example"));
    }

    // A disk that fills up leaves the file that was there as it was, and the message names it
    // with the cause.
    void exportFailureKeepsTheOldFile()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(folder.Db(), 0, QStringLiteral("http://a.example/") + QString(8000, u'x'));
        folder.WriteFile(QStringLiteral("old.html"), "keep");
        dialogs.FileNames << folder.Path() + QStringLiteral("old.html");
        dialogs.Answers << true;
        QString message;
        try {
            const TFileSizeLimit full(4096);
            ExportBookmarksCommand(folder.Db(), dialogs);
        } catch (const ECardError& error) {
            message = error.Message();
        }
        QVERIFY(message.contains(QStringLiteral("old.html")) &&
                message.contains(WriteFailure(EFBIG)));
        QCOMPARE(QDir(folder.Path()).entryList({QStringLiteral("old.html*")}),
                 {QStringLiteral("old.html")});
        QCOMPARE(folder.ReadFile(QStringLiteral("old.html")), QByteArray("keep"));
    }
};

QTEST_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
