#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "WebAddrKit.h"

#include "common/Errors.h"
#include "webaddr/IE.h"

#include <QtTest>

using namespace WebAddrKit;

namespace {

void Fill(const QString& url, const QString& name, const QString& remark, int typeId)
{
    IEStore.TypeID = typeId;
    IEStore.IEUrl = url;
    IEStore.IEName = name;
    IEStore.ReMark = remark;
}

} // namespace

class TestIEStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Whatever is typed comes back exactly, and a text can only ever change its own row.
    void textsSavedExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << QStringLiteral("it's 'quoted'");
        QTest::newRow("delimiter") << QStringLiteral("a@#@b");
        QTest::newRow("overlapping delimiters") << QStringLiteral("@#@#@@#@");
        QTest::newRow("line feed") << QStringLiteral("line 1\nline 2");
        QTest::newRow("crlf") << QStringLiteral("line 1\r\nline 2\r\n");
        QTest::newRow("injection") << QStringLiteral("'); delete from IE; --");
        QTest::newRow("unicode") << QStringLiteral("网址：＂中文＂ 😀");
        QTest::newRow("blanks") << QStringLiteral("  padded\t ");
    }

    void textsSavedExactly()
    {
        QFETCH(QString, text);
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        const QString other = AddRow(0, QStringLiteral("www.other.cn"), QStringLiteral("other"));

        Fill(text, text + QStringLiteral("|name"), text + QStringLiteral("|remark"), 7);
        IEStore.InsertAddress();
        QList<TRow> rows = Rows();
        QCOMPARE(rows.size(), 2);
        const QString id = rows[1].ID;
        QCOMPARE(rows[1].TypeID, 7);
        QCOMPARE(rows[1].IEUrl, text);
        QCOMPARE(rows[1].IEName, text + QStringLiteral("|name"));
        QCOMPARE(rows[1].ReMark, text + QStringLiteral("|remark"));

        Fill({}, {}, {}, 0);
        IEStore.LoadAddress(id);
        QCOMPARE(IEStore.TypeID, 7);
        QCOMPARE(IEStore.IEUrl, text);
        QCOMPARE(IEStore.IEName, text + QStringLiteral("|name"));
        QCOMPARE(IEStore.ReMark, text + QStringLiteral("|remark"));

        Fill(QStringLiteral("u") + text, text, QString(), 3);
        IEStore.UpdateAddress(id);
        rows = Rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[1].TypeID, 3);
        QCOMPARE(rows[1].IEUrl, QStringLiteral("u") + text);
        QCOMPARE(rows[1].IEName, text);
        QCOMPARE(rows[1].ReMark, QString());
        QCOMPARE(rows[0].ID, other);
        QCOMPARE(rows[0].IEUrl, QStringLiteral("www.other.cn"));
        QCOMPARE(rows[0].IEName, QStringLiteral("other"));
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    void groupNameOfLoadedAddress()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddGroupRow(1, 0, QStringLiteral("工作"));
        const QString inRoot = AddRow(0, QStringLiteral("www.root.cn"));
        const QString inGroup = AddRow(1, QStringLiteral("www.work.cn"));
        const QString orphan = AddRow(9, QStringLiteral("www.gone.cn"));

        IEStore.LoadAddress(inGroup);
        QCOMPARE(IEStore.TypeName, QStringLiteral("工作"));
        IEStore.LoadAddress(inRoot);
        QCOMPARE(IEStore.TypeID, 0);
        QCOMPARE(IEStore.TypeName, QString());
        IEStore.LoadAddress(orphan);
        QCOMPARE(IEStore.TypeID, 9);
        QCOMPARE(IEStore.TypeName, QString());
        QCOMPARE(IEStore.LookupTypeName(1), QStringLiteral("工作"));

        // No such row: everything reads 0 or empty, whatever the fields held before.
        IEStore.LoadAddress(inGroup);
        IEStore.LoadAddress(QStringLiteral("4711"));
        QCOMPARE(IEStore.TypeID, 0);
        QCOMPARE(IEStore.IEUrl, QString());
        QCOMPARE(IEStore.IEName, QString());
        QCOMPARE(IEStore.ReMark, QString());
        QCOMPARE(IEStore.TypeName, QString());
    }

    // The ID is put into statements unquoted, so only a number is taken.
    void idMustBeANumber()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddRow(0, QStringLiteral("www.a.cn"), QStringLiteral("A"));
        AddRow(0, QStringLiteral("www.b.cn"), QStringLiteral("B"));
        Fill(QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x"), 0);
        QVERIFY_THROWS_EXCEPTION(ECardError, IEStore.UpdateAddress(QStringLiteral("1 or 1=1")));
        QVERIFY_THROWS_EXCEPTION(ECardError, IEStore.DeleteAddress(QStringLiteral("1 or 1=1")));
        QVERIFY_THROWS_EXCEPTION(ECardError,
                                 IEStore.DeleteAddressesOfType(QStringLiteral("0 or 1=1")));
        const QList<TRow> rows = Rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].IEUrl, QStringLiteral("www.a.cn"));
        QCOMPARE(rows[1].IEUrl, QStringLiteral("www.b.cn"));
    }
};

#include "tst_iestore.moc"

QTEST_MAIN(TestIEStore)
