#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Sql.h"

#include <QtTest>

// Statement templates and the quoting function, against the real engine.
class TestSql : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void formatFillsInOrderWithoutRescanning()
    {
        QCOMPARE(Sql::Format(SqlTemplate::AddGroup,
                             {Sql::Name(QStringLiteral("NoteType")), Sql::Number(3), Sql::Number(0),
                              Sql::Quoted(QStringLiteral("%s'x"))}),
                 QStringLiteral("insert into NoteType(SelfIndex,ParentIndex,TypeName) values "
                                "(3,0,'%s''x')"));
        QCOMPARE(Sql::Format(SqlTemplate::DeleteGroupSelf,
                             {Sql::Name(QStringLiteral("IEType")), Sql::Number(-7)}),
                 QStringLiteral("delete from IEType where selfIndex=-7 "));
    }

    void quotedTextNeverHoldsTheDelimiter()
    {
        for (const QString& text : {QStringLiteral("@#@"), QStringLiteral("@#@#@"),
                                    QStringLiteral("a@#@#@#@b"), QStringLiteral("'@#@'")}) {
            const QString statement =
                Sql::Format(SqlTemplate::RenameGroup, {Sql::Name(QStringLiteral("IEType")),
                                                       Sql::Quoted(text), Sql::Number(1)});
            QVERIFY2(!statement.contains(QStringLiteral("@#@")), qPrintable(statement));
        }
    }

    void refusedNamesAndKeys()
    {
        QVERIFY_THROWS_EXCEPTION(ECardError, Sql::Name(QStringLiteral("IE; drop table IE")));
        QVERIFY_THROWS_EXCEPTION(ECardError, Sql::Name(QStringLiteral("1IE")));
        QVERIFY_THROWS_EXCEPTION(ECardError, Sql::Key(QStringLiteral("1 or 1=1")));
        QCOMPARE(Sql::Key(QStringLiteral(" 42")).Text(), QStringLiteral("42"));
    }

    // Awkward texts are stored and read back exactly, and touch no other row.
    void quotingRoundTrips_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("quote") << QStringLiteral("it's 'quoted' ''");
        QTest::newRow("leading quote") << QStringLiteral("'x");
        QTest::newRow("delimiter") << QStringLiteral("a@#@b@#@#@c@#");
        QTest::newRow("backslash") << QStringLiteral("C:\\path\\n\\'");
        QTest::newRow("line breaks") << QStringLiteral("one\r\ntwo\nthree\r");
        QTest::newRow("unicode") << QStringLiteral("中文 ｆｕｌｌ 😀 \u202e é");
        QTest::newRow("nul") << QString(QStringLiteral("a%1b").arg(QChar(0)));
        QTest::newRow("injection") << QStringLiteral("x' where 1=1; delete from IEType; --");
        QTest::newRow("percent") << QStringLiteral("%s %1 %%");
        QTest::newRow("empty") << QString();
    }

    void quotingRoundTrips()
    {
        QFETCH(QString, text);
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        const auto name = Sql::Name(QStringLiteral("IEType"));
        folder.Db().ExecuteBatch(
            Sql::Format(SqlTemplate::AddGroup,
                        {name, Sql::Number(1), Sql::Number(0), Sql::Quoted(QStringLiteral("A"))}));
        folder.Db().ExecuteBatch(
            Sql::Format(SqlTemplate::AddGroup,
                        {name, Sql::Number(2), Sql::Number(0), Sql::Quoted(QStringLiteral("B"))}));
        folder.Db().ExecuteBatch(
            Sql::Format(SqlTemplate::RenameGroup, {name, Sql::Quoted(text), Sql::Number(2)}));
        folder.Db().ExecuteBatch(Sql::Format(
            SqlTemplate::AddGroup, {name, Sql::Number(3), Sql::Number(2), Sql::Quoted(text)}));

        db.OpenQuery(Sql::Format(SqlTemplate::LoadGroups, {name}));
        QStringList captions;
        for (; !db.QuerySet().Eof(); db.QuerySet().Next())
            captions << db.QuerySet().AsString(QStringLiteral("TypeName"));
        QCOMPARE(captions, QStringList({QStringLiteral("A"), text, text}));
        QVERIFY(dialogs.Boxes.isEmpty());
    }
};

QTEST_MAIN(TestSql)
#include "tst_sql.moc"
