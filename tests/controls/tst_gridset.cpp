#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "TestText.h"

#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "controls/GridSource.h"
#include "controls/GridView.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"
#include "data/Sql.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QtTest>

namespace {

// Stands in for the address grid: records how the grid query uses it.
class TFakeView final : public TGridView
{
public:
    void SetDataSource(TGridSource* source) override
    {
        Source = source;
        ++Bindings;
    }
    void AutoFitColumns() override
    {
        ++AutoFits;
        RowsAtAutoFit = Source ? Source->rowCount() : -1;
    }

    TGridSource* Source = nullptr;
    int Bindings = 0;
    int AutoFits = 0;
    int RowsAtAutoFit = -1;
};

void AddAddress(TDbAccess& db, int typeId, const QString& url, const QString& title,
                const QString& remark = {})
{
    db.ExecuteBatch(
        Sql::Format(SqlTemplate::InsertAddress, {Sql::Number(typeId), Sql::Quoted(url),
                                                 Sql::Quoted(title), Sql::Quoted(remark)}));
}

QString ListAll()
{
    return QString::fromUtf16(SqlTemplate::ListAddresses);
}

QStringList Column(const TGridSet& set, const QString& field)
{
    QStringList values;
    const int index = set.FindField(field);
    for (int row = 0; row < set.RecordCount(); ++row) {
        const QVariant value = set.Value(row, index);
        values << (value.isNull() ? QStringLiteral("<null>") : value.toString());
    }
    return values;
}

// The user's locale for one test.
class TLocale final
{
public:
    explicit TLocale(const QLocale& locale) { QLocale::setDefault(locale); }
    ~TLocale() { QLocale::setDefault(FPrevious); }

private:
    QLocale FPrevious;
};

} // namespace

class TestGridSet : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parseSort_data()
    {
        QTest::addColumn<QString>("sort");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("descending");
        QTest::newRow("name") << "网址"
                              << "网址" << false;
        QTest::newRow("desc") << "网址 DESC"
                              << "网址" << true;
        QTest::newRow("blank left by DESC") << "网址 "
                                            << "网址" << false;
        QTest::newRow("two blanks") << "网址  DESC"
                                    << "网址" << true;
        QTest::newRow("lower case") << "IEName desc"
                                    << "IEName" << true;
        QTest::newRow("asc") << " IEName ASC "
                             << "IEName" << false;
        QTest::newRow("brackets") << "[网址] DESC"
                                  << "网址" << true;
        QTest::newRow("field named DESC") << "DESC"
                                          << "DESC" << false;
        QTest::newRow("DESC inside a name") << "DESCRIPTION"
                                            << "DESCRIPTION" << false;
        QTest::newRow("empty") << "  "
                               << "" << false;
    }

    void parseSort()
    {
        QFETCH(QString, sort);
        const TGridSet::TSortOrder order = TGridSet::ParseSort(sort);
        QTEST(order.Field, "field");
        QTEST(order.Descending, "descending");
    }

    // Numbers by value, texts by the user's collation, NULLs first; ties keep the fetched order.
    void sortsInMemory()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        const TLocale chinese(QLocale(QLocale::Chinese, QLocale::China));
        AddAddress(folder.Db(), 10, QStringLiteral("u1"), QStringLiteral("张"));
        AddAddress(folder.Db(), 9, QStringLiteral("u2"), QStringLiteral("李"));
        AddAddress(folder.Db(), 100, QStringLiteral("u3"), QStringLiteral("王"));
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into IE(TypeID,IEName,IEUrl) values(null,null,'u4')"));
        AddAddress(folder.Db(), 9, QStringLiteral("u5"), QStringLiteral("李"));
        TFakeView view;
        OpenGrid(db, QStringLiteral("select ID,TypeID,IEName as 标题,IEUrl from IE"), view, false);
        TGridSet& set = db.GridSet();
        const QStringList fetched = Column(set, QStringLiteral("IEUrl"));
        QCOMPARE(fetched, Texts({"u1", "u2", "u3", "u4", "u5"}));

        // As texts, "10" < "100" < "9": the integer column must compare by value.
        set.SetSort(QStringLiteral("TypeID"));
        QCOMPARE(Column(set, QStringLiteral("TypeID")), Texts({"<null>", "9", "9", "10", "100"}));
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), Texts({"u4", "u2", "u5", "u1", "u3"}));
        set.SetSort(QStringLiteral("TypeID DESC"));
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), Texts({"u3", "u1", "u2", "u5", "u4"}));

        // Pinyin order (li, wang, zhang) differs from code point order (张 < 李 < 王).
        set.SetSort(QStringLiteral("标题"));
        QCOMPARE(Column(set, QStringLiteral("标题")), Texts({"<null>", "李", "李", "王", "张"}));
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), Texts({"u4", "u2", "u5", "u3", "u1"}));
        set.SetSort(QStringLiteral("标题 DESC"));
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), Texts({"u1", "u3", "u2", "u5", "u4"}));

        // The blank left behind by a removed "DESC" still sorts ascending; field names ignore
        // letter case.
        set.SetSort(QStringLiteral("typeid "));
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), Texts({"u4", "u2", "u5", "u1", "u3"}));
        QCOMPARE(set.Sort(), QStringLiteral("typeid "));

        set.SetSort(QString());
        QCOMPARE(Column(set, QStringLiteral("IEUrl")), fetched);
    }

    void textsFollowTheLocale()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        const TLocale english(QLocale(QLocale::English, QLocale::UnitedStates));
        for (const char* title : {"b", "B", "a", "Ä", "10", "9"})
            AddAddress(folder.Db(), 0, QString::fromUtf8(title), QString::fromUtf8(title));
        TFakeView view;
        OpenGrid(db, ListAll(), view, false);
        db.GridSet().SetSort(QStringLiteral("标题"));
        // Letter case and accents are secondary to the letter; digits are texts here.
        QCOMPARE(Column(db.GridSet(), QStringLiteral("标题")),
                 Texts({"10", "9", "a", "Ä", "b", "B"}));
    }

    // A locale without a collation of its own sorts Chinese by pinyin (dou, gong, lian; code
    // points would give 公 < 联 < 豆) and Latin letters without regard to case.
    void textsSortAsChineseWithoutALocale()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        const TLocale plain(QLocale::c());
        for (const char* title : {"公司邮箱", "b", "联合早报", "A", "豆瓣", "a", "B"})
            AddAddress(folder.Db(), 0, QString::fromUtf8(title), QString::fromUtf8(title));
        TFakeView view;
        OpenGrid(db, ListAll(), view, false);
        db.GridSet().SetSort(QStringLiteral("标题"));
        const QStringList sorted = Column(db.GridSet(), QStringLiteral("标题"));
        QCOMPARE(sorted.mid(0, 3), Texts({"豆瓣", "公司邮箱", "联合早报"}));
        // Equal letters keep the order they were fetched in.
        QCOMPARE(sorted.mid(3), Texts({"A", "a", "b", "B"}));
    }

    void sortKeepsTheCurrentRecordAndRefusesUnknownFields()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        for (const char* url : {"c", "a", "d", "b"})
            AddAddress(folder.Db(), 0, QString::fromLatin1(url), QStringLiteral("t"));
        TFakeView view;
        OpenGrid(db, ListAll(), view, false);
        TGridSet& set = db.GridSet();
        QCOMPARE(set.RecNo(), 1);
        set.SetCurrentRow(2); // "d"
        QCOMPARE(set.RecNo(), 3);
        set.SetSort(QStringLiteral("网址"));
        QCOMPARE(set.AsString(QStringLiteral("网址")), QStringLiteral("d"));
        QCOMPARE(set.RecNo(), 4);

        QVERIFY_THROWS_EXCEPTION(ECardError, set.SetSort(QStringLiteral("NoSuchField DESC")));
        QCOMPARE(set.Sort(), QStringLiteral("网址"));
        QCOMPARE(Column(set, QStringLiteral("网址")), Texts({"a", "b", "c", "d"}));
        QCOMPARE(set.AsString(QStringLiteral("网址")), QStringLiteral("d"));
    }

    // The list stays sorted when it is re-read after an address was added, and the new row
    // shows in its place; a new statement starts unsorted.
    void requeryShowsNewRowsAndKeepsTheSort()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), 1, QStringLiteral("b.org"), QStringLiteral("B"));
        AddAddress(folder.Db(), 1, QStringLiteral("d.org"), QStringLiteral("D"));
        AddAddress(folder.Db(), 2, QStringLiteral("a.org"), QStringLiteral("A"));
        const QString ofType =
            ListAll() + Sql::Format(SqlTemplate::ListAddressesOfType, {Sql::Number(1)});
        TFakeView view;
        OpenGrid(db, ofType, view, true);
        TGridSource* source = view.Source;
        TGridSet& set = db.GridSet();
        set.SetSort(QStringLiteral("网址 DESC"));
        set.SetCurrentRow(1);
        QCOMPARE(set.RecNo(), 2);

        AddAddress(folder.Db(), 1, QStringLiteral("c.org"), QStringLiteral("C"));
        AddAddress(folder.Db(), 2, QStringLiteral("e.org"), QStringLiteral("E"));
        db.RequeryGrid();
        QCOMPARE(set.Statement(), ofType);
        QCOMPARE(set.Sort(), QStringLiteral("网址 DESC"));
        QCOMPARE(Column(set, QStringLiteral("网址")), Texts({"d.org", "c.org", "b.org"}));
        QCOMPARE(set.RecNo(), 1);
        QCOMPARE(view.Bindings, 1);
        QCOMPARE(view.AutoFits, 1);
        QCOMPARE(view.Source, source);
        // A value changed in place takes its new place when the same column is sorted again.
        folder.Db().ExecuteBatch(QStringLiteral("update IE set IEUrl='a.net' where IEUrl='d.org'"));
        db.RequeryGrid();
        set.SetSort(QStringLiteral("网址"));
        QCOMPARE(Column(set, QStringLiteral("网址")), Texts({"a.net", "b.org", "c.org"}));

        OpenGrid(db, ofType, view, false);
        QCOMPARE(set.Sort(), QString());
        QCOMPARE(Column(set, QStringLiteral("网址")), Texts({"b.org", "a.net", "c.org"}));
    }

    // A failing re-read is a plain error, leaves no rows, and the next re-read tries again.
    void requeryFailureIsAPlainError()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        folder.Db().ExecuteBatch(QStringLiteral("create table Scratch(a integer, b text)@#@"
                                                "insert into Scratch values(2,'x')@#@"
                                                "insert into Scratch values(1,'y')"));
        TFakeView view;
        OpenGrid(db, QStringLiteral("select a, b from Scratch"), view, false);
        db.GridSet().SetSort(QStringLiteral("a"));
        folder.Db().ExecuteBatch(QStringLiteral("drop table Scratch"));
        try {
            db.RequeryGrid();
            QFAIL("the re-read of a dropped table succeeded");
        } catch (const EDBException&) {
            QFAIL("a failed re-read must not be a database error");
        } catch (const ECardError& error) {
            QVERIFY(error.Message().contains(QLatin1String("Scratch")));
        }
        QVERIFY(!db.GridSet().Active());
        QCOMPARE(view.Source->rowCount(), 0);

        folder.Db().ExecuteBatch(QStringLiteral("create table Scratch(a integer, b text)@#@"
                                                "insert into Scratch values(5,'p')@#@"
                                                "insert into Scratch values(4,'q')"));
        db.RequeryGrid();
        QCOMPARE(Column(db.GridSet(), QStringLiteral("b")), Texts({"q", "p"}));

        TDbAccess fresh;
        QVERIFY_THROWS_EXCEPTION(ECardError, fresh.RequeryGrid());
    }

    // The grid is bound before the statement runs; a failure leaves it bound to no rows and
    // unfitted, and the handler shows the query headline and logs the statement.
    void failingOpenGrid()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TCardException handler(dialogs);
        const QDateTime now(QDate(2024, 3, 5), QTime(10, 0));
        SetLogClock([now] { return now; });
        TDbAccess& db = folder.Connect();
        AddAddress(folder.Db(), 0, QStringLiteral("a.org"), QStringLiteral("A"));
        TFakeView view;
        OpenGrid(db, ListAll(), view, true);
        QCOMPARE(view.AutoFits, 1);
        QCOMPARE(view.RowsAtAutoFit, 1);

        const QString bad = QStringLiteral("select ID, NoSuchColumn from IE");
        try {
            OpenGrid(db, bad, view, true);
            QFAIL("a bad statement opened");
        } catch (const EDBException& error) {
            QCOMPARE(error.Hint(), QStringLiteral("数据库查询错误，请检查！"));
            QCOMPARE(error.Sql(), bad);
            QVERIFY(error.Message().contains(QLatin1String("NoSuchColumn")));
        }
        QCOMPARE(view.Bindings, 2);
        QCOMPARE(view.AutoFits, 1);
        QVERIFY(view.Source);
        QCOMPARE(view.Source->rowCount(), 0);
        QCOMPARE(view.Source->columnCount(), 0);
        QVERIFY(!db.GridSet().Active());

        RunGuarded([&] { OpenGrid(db, bad, view, true); });
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.startsWith(QStringLiteral("数据库查询错误，请检查！")));
        QVERIFY(QString::fromLocal8Bit(folder.ReadFile(LogFileName(now))).contains(bad));
        // Nothing to re-read after a failed open.
        RunGuarded([&] { db.RequeryGrid(); });
        QCOMPARE(dialogs.Boxes.size(), 2);
        SetLogClock({});
    }

    // The model follows every change of the set: titles, rows, the current row.
    void modelFollowsTheSet()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        for (int i = 0; i < 5; ++i)
            AddAddress(folder.Db(), 0, QStringLiteral("u%1").arg(4 - i),
                       QStringLiteral("line\r\nbreak %1").arg(i));
        TGridSource* source = GridDataSource(db);
        QAbstractItemModelTester tester(source,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy resets(source, &QAbstractItemModel::modelReset);
        QSignalSpy current(source, &TGridSource::CurrentRowChanged);
        TFakeView view;

        OpenGrid(db, ListAll(), view, false);
        QCOMPARE(view.Source, source);
        QCOMPARE(source->rowCount(), 5);
        QCOMPARE(source->columnCount(), 4);
        QStringList titles;
        for (int i = 0; i < 4; ++i)
            titles << source->headerData(i, Qt::Horizontal).toString();
        QCOMPARE(titles, Texts({"ID", "标题", "备注", "网址"}));
        QCOMPARE(source->data(source->index(0, 1)).toString(), QStringLiteral("line break 0"));
        QCOMPARE(source->data(source->index(0, 0), Qt::TextAlignmentRole).value<Qt::Alignment>(),
                 Qt::AlignRight | Qt::AlignVCenter);
        QVERIFY(!(source->flags(source->index(0, 0)) & Qt::ItemIsEditable));
        QCOMPARE(source->CurrentRow(), 0);

        source->SetCurrentRow(3);
        QCOMPARE(db.GridSet().CurrentRow(), 3);
        QCOMPARE(current.last().at(0).toInt(), 3);
        db.GridSet().Next();
        QCOMPARE(current.last().at(0).toInt(), 4);

        QVERIFY(source->setHeaderData(3, Qt::Horizontal, QStringLiteral("▲网址")));
        const int before = int(resets.size());
        db.GridSet().SetSort(QStringLiteral("网址"));
        QCOMPARE(resets.size(), before + 1);
        QCOMPARE(source->data(source->index(0, 3)).toString(), QStringLiteral("u0"));
        QCOMPARE(source->CurrentRow(), 0); // u0 was the fifth row fetched
        QCOMPARE(source->headerData(3, Qt::Horizontal).toString(), QStringLiteral("▲网址"));

        db.RequeryGrid();
        QCOMPARE(resets.size(), before + 2);
        QCOMPARE(source->headerData(3, Qt::Horizontal).toString(), QStringLiteral("▲网址"));

        OpenGrid(db, QStringLiteral("select IEUrl from IE"), view, false);
        QCOMPARE(source->columnCount(), 1);
        QCOMPARE(source->headerData(0, Qt::Horizontal).toString(), QStringLiteral("IEUrl"));
        RunGuarded([&] { OpenGrid(db, QStringLiteral("select nothing"), view, false); });
        QCOMPARE(source->rowCount(), 0);
        QCOMPARE(source->CurrentRow(), -1);
        OpenGrid(db, ListAll(), view, false);
        QCOMPARE(source->headerData(3, Qt::Horizontal).toString(), QStringLiteral("网址"));
    }
};

QTEST_GUILESS_MAIN(TestGridSet)
#include "tst_gridset.moc"
