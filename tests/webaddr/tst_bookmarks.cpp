#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "WebAddrKit.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "webaddr/BookmarkCommands.h"
#include "webaddr/BookmarkFile.h"

#include <QStringEncoder>
#include <QtTest>

using namespace WebAddrKit;

namespace {

const QDate Today(2026, 12, 7);

struct TGroup
{
    int SelfIndex;
    int ParentIndex;
    QString Name;
};

QList<TGroup> Groups()
{
    DbAccess->OpenQuery(QStringLiteral("select * from IEType order by SelfIndex"));
    QList<TGroup> groups;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
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
QStringList Addresses(int skipTop = 0)
{
    const QList<TGroup> groups = Groups();
    QStringList lines;
    for (const TRow& row : Rows())
        lines << PathOf(row.TypeID, groups, skipTop) + QLatin1Char('|') + row.IEUrl +
                     QLatin1Char('|') + row.IEName + QLatin1Char('|') + row.ReMark;
    lines.sort();
    return lines;
}

QStringList GroupPaths(int skipTop = 0)
{
    const QList<TGroup> groups = Groups();
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
    // address, texts exact; read again, every address counts as a duplicate and the names of the
    // new groups are numbered.
    void exportThenImportGivesTheSameTree()
    {
        QByteArray exported;
        QStringList addresses;
        QStringList groupPaths;
        {
            TTestFolder folder;
            folder.Connect();
            AddGroupRow(1, 0, QStringLiteral("工作"));
            AddGroupRow(2, 1, QStringLiteral("a & <b>"));
            AddGroupRow(3, 2, QStringLiteral("  深处  "));
            AddGroupRow(4, 0, QStringLiteral("empty"));
            AddRow(0, QStringLiteral("https://root.example/?a=1&b=\"2\""), QStringLiteral("根"));
            AddRow(2, QStringLiteral("www.bare.cn"), QStringLiteral("it's <i>x</i> &amp;"),
                   QStringLiteral("line 1\r\nline 2\n\t  indented  "));
            AddRow(3, QStringLiteral("file:///tmp/a b.txt"), QStringLiteral("  two  spaces "));
            AddRow(1, QStringLiteral("www.bare.cn"), QString(), QStringLiteral("same address"));
            AddRow(77, QStringLiteral("http://orphan.example"), QStringLiteral("孤儿"));
            exported = ExportBookmarks();
            addresses = Addresses();
            groupPaths = GroupPaths();
        }

        TTestFolder folder;
        folder.Connect();
        const TBookmarkImport first = ImportBookmarks(exported, Today);
        QCOMPARE(first.Addresses, 5);
        QCOMPARE(first.Groups, 4);
        QCOMPARE(first.Duplicates, 0);
        const QList<TGroup> groups = Groups();
        QCOMPARE(groups.first().Name, QStringLiteral("导入的书签 2026-12-07"));
        QCOMPARE(groups.first().ParentIndex, 0);
        QCOMPARE(GroupPaths(1).mid(1), groupPaths);
        QCOMPARE(Addresses(1), addresses);
        for (const TGroup& group : groups)
            QVERIFY(group.SelfIndex > group.ParentIndex);

        const TBookmarkImport second = ImportBookmarks(exported, Today);
        QCOMPARE(second.Addresses, 0);
        QCOMPARE(second.Duplicates, 5);
        QCOMPARE(second.Groups, 4);
        QVERIFY(GroupPaths().contains(QStringLiteral("导入的书签 2026-12-07 (2)/工作 (2)")));
        QCOMPARE(Rows().size(), 5);
    }

    // A browser's file: titles as a browser shows them, descriptions as remarks, links that are
    // not web addresses left out and counted, a '>' inside a quoted attribute value no end.
    void browserFileReadAsShown()
    {
        TTestFolder folder;
        folder.Connect();
        AddRow(0, QStringLiteral("https://stored.example/"));
        const QByteArray body =
            "<DT><H3 ADD_DATE=\"1\">Bar &amp; <b>co</b></H3>\n"
            "<DD>a folder's description\n"
            "<DL><p>\n"
            "  <DT><A HREF=\"https://x.example/?q=a>b&amp;c=d\" "
            "ICON=\"data:image/png;base64,AA==\">"
            "A &lt;tag&gt; &#x4E2D;&#25991; <span class='x'>span</span>\n   wrapped</A>\n"
            "  <DD>Some &quot;notes&quot;\n    over lines\n"
            "  <DT><A HREF=\"javascript:alert(1)\">bookmarklet</A>\n"
            "  <DD>described bookmarklet\n"
            "  <DT><A HREF=\"data:text/html,<b>x</b>\">data</A>\n"
            "  <DT><A HREF='https://stored.example/'>already stored</A>\n"
            "  <DT><A HREF=\"HTTP://upper.example\">&bogus; &amp a < b</A>\n"
            "</DL><p>\n";
        const TBookmarkImport done = ImportBookmarks(File(body), Today);
        QCOMPARE(done.Addresses, 2);
        QCOMPARE(done.Groups, 1);
        QCOMPARE(done.Duplicates, 1);
        QCOMPARE(done.NonWeb, 2);
        QCOMPARE(Addresses(1),
                 QStringList({QStringLiteral("Bar & co|HTTP://upper.example|&bogus; &amp a < b|"),
                              QStringLiteral("Bar & co|https://x.example/?q=a>b&c=d|A <tag> 中文 "
                                             "span wrapped|Some \"notes\" over lines"),
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
        ImportBookmarks(File(body, "<meta http-equiv='Content-Type' content='text/html; "
                                   "charset=gbk'>\n"),
                        Today);
        QCOMPARE(Rows().constFirst().IEName, QStringLiteral("中文标题"));
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
            ImportBookmarks(bytes, Today);
            QFAIL("imported");
        } catch (const ECardError& error) {
            QVERIFY2(error.Message().contains(message), qUtf8Printable(error.Message()));
        }
        QVERIFY(Groups().isEmpty());
        QVERIFY(Rows().isEmpty());
    }

    // Folders a thousand deep and a 50 MB file (browsers put each site's icon into its link)
    // are imported whole.
    void deepAndLargeFiles()
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
        QCOMPARE(ImportBookmarks(File(deep), Today).Groups, depth);
        QCOMPARE(Addresses(1).constFirst().section(QLatin1Char('|'), 0, 0).count(QLatin1Char('/')),
                 depth - 1);

        const QByteArray icon(10000, 'A');
        QByteArray large;
        const int links = 5200;
        for (int i = 0; i < links; ++i)
            large += "<DT><A HREF=\"http://big.example/" + QByteArray::number(i) +
                     "\" ICON=\"data:image/png;base64," + icon + "\">big</A>\n";
        QVERIFY(large.size() > 50'000'000);
        QCOMPARE(ImportBookmarks(File(large), Today).Addresses, links);
        QCOMPARE(Rows().size(), links + 2);
    }

    // The command reads the chosen file and says what it did in one box.
    void importCommandReports()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(0, QStringLiteral("http://dup.example"));
        folder.WriteFile(QStringLiteral("b.html"),
                         File("<DT><H3>F</H3>\n<DL><p>\n<DT><A HREF=\"http://a.example\">a</A>\n"
                              "<DT><A HREF=\"http://dup.example\">dup</A>\n"
                              "<DT><A HREF=\"javascript:void(0)\">js</A>\n</DL><p>\n"));
        dialogs.FileNames << folder.Path() + QStringLiteral("b.html");
        QVERIFY(ImportBookmarksCommand());
        QCOMPARE(dialogs.FileFilters.constFirst().section(QLatin1Char('|'), 0, 0),
                 QStringLiteral("书签文件 (*.html *.htm)"));
        QCOMPARE(dialogs.Texts().constFirst().section(QLatin1Char('\n'), 0, 0),
                 QStringLiteral("已导入 1 个网址、1 个分组，跳过 1 个重复网址"));
        QCOMPARE(Rows().size(), 2);
    }

    // An existing file is replaced only after a Yes.
    void exportCommandAsksBeforeReplacing()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(0, QStringLiteral("http://a.example"));
        folder.WriteFile(QStringLiteral("old.html"), "keep");
        dialogs.FileNames << folder.Path() + QStringLiteral("old.html")
                          << folder.Path() + QStringLiteral("old");
        ExportBookmarksCommand();
        QCOMPARE(folder.ReadFile(QStringLiteral("old.html")), QByteArray("keep"));
        dialogs.Answers << true;
        ExportBookmarksCommand();
        QVERIFY(folder.ReadFile(QStringLiteral("old.html")).contains("http://a.example"));
    }
};

QTEST_MAIN(TestBookmarks)
#include "tst_bookmarks.moc"
