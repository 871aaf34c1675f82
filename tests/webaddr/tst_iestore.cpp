#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "WebAddrKit.h"

#include "common/Errors.h"
#include "webaddr/IE.h"

#include <QtTest>

using namespace WebAddrKit;

namespace {

void Fill(TIE& store, const QString& url, const QString& name, const QString& remark, int typeId)
{
    store.TypeID = typeId;
    store.IEUrl = url;
    store.IEName = name;
    store.ReMark = remark;
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
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        const QString other =
            AddRow(folder.Db(), 0, QStringLiteral("www.other.cn"), QStringLiteral("other"));

        Fill(store, text, text + QStringLiteral("|name"), text + QStringLiteral("|remark"), 7);
        store.InsertAddress();
        QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.size(), 2);
        const QString id = rows[1].ID;
        QCOMPARE(rows[1].TypeID, 7);
        QCOMPARE(rows[1].IEUrl, text);
        QCOMPARE(rows[1].IEName, text + QStringLiteral("|name"));
        QCOMPARE(rows[1].ReMark, text + QStringLiteral("|remark"));

        Fill(store, {}, {}, {}, 0);
        store.LoadAddress(id);
        QCOMPARE(store.TypeID, 7);
        QCOMPARE(store.IEUrl, text);
        QCOMPARE(store.IEName, text + QStringLiteral("|name"));
        QCOMPARE(store.ReMark, text + QStringLiteral("|remark"));

        Fill(store, QStringLiteral("u") + text, text, QString(), 3);
        store.UpdateAddress(id);
        rows = Rows(folder.Db());
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
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroupRow(folder.Db(), 1, 0, QStringLiteral("工作"));
        const QString inRoot = AddRow(folder.Db(), 0, QStringLiteral("www.root.cn"));
        const QString inGroup = AddRow(folder.Db(), 1, QStringLiteral("www.work.cn"));
        const QString orphan = AddRow(folder.Db(), 9, QStringLiteral("www.gone.cn"));

        store.LoadAddress(inGroup);
        QCOMPARE(store.TypeName, QStringLiteral("工作"));
        store.LoadAddress(inRoot);
        QCOMPARE(store.TypeID, 0);
        QCOMPARE(store.TypeName, QString());
        store.LoadAddress(orphan);
        QCOMPARE(store.TypeID, 9);
        QCOMPARE(store.TypeName, QString());
        QCOMPARE(store.LookupTypeName(1), QStringLiteral("工作"));

        // No such row: everything reads 0 or empty, whatever the fields held before.
        store.LoadAddress(inGroup);
        store.LoadAddress(QStringLiteral("4711"));
        QCOMPARE(store.TypeID, 0);
        QCOMPARE(store.IEUrl, QString());
        QCOMPARE(store.IEName, QString());
        QCOMPARE(store.ReMark, QString());
        QCOMPARE(store.TypeName, QString());
    }

    // The ID is put into statements unquoted, so only a number is taken.
    void idMustBeANumber()
    {
        TTestFolder folder;
        TIE store(folder.Connect());
        TScriptedDialogs dialogs;
        AddRow(folder.Db(), 0, QStringLiteral("www.a.cn"), QStringLiteral("A"));
        AddRow(folder.Db(), 0, QStringLiteral("www.b.cn"), QStringLiteral("B"));
        Fill(store, QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x"), 0);
        QVERIFY_THROWS_EXCEPTION(ECardError, store.UpdateAddress(QStringLiteral("1 or 1=1")));
        QVERIFY_THROWS_EXCEPTION(ECardError, store.DeleteAddress(QStringLiteral("1 or 1=1")));
        QVERIFY_THROWS_EXCEPTION(ECardError,
                                 store.DeleteAddressesOfType(QStringLiteral("0 or 1=1")));
        const QList<TRow> rows = Rows(folder.Db());
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows[0].IEUrl, QStringLiteral("www.a.cn"));
        QCOMPARE(rows[1].IEUrl, QStringLiteral("www.b.cn"));
    }
};

#include "tst_iestore.moc"

QTEST_MAIN(TestIEStore)
