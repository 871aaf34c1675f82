#include "TestFolder.h"

#include "data/Sqlite.h"
#include "sync/ChangeScan.h"
#include "sync/RowStore.h"

#include <QFile>
#include <QtTest>

using namespace RowStore;

namespace {

constexpr qint64 Now = 1'800'000'000'000;

void Run(sqlite3* connection, const QString& statements)
{
    const QString error = DatabaseFile::Execute(connection, statements);
    if (!error.isEmpty())
        qFatal("%s: %s", qPrintable(statements), qPrintable(error));
}

// A copy of the delivered database in the folder, open.
TConnection Copy(const TTestFolder& folder, const QString& name, const QString& statements = {})
{
    const QString path = folder.Path() + name;
    QFile::copy(TTestFolder::DeliveredDatabase(), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    TConnection connection = DatabaseFile::Open(path, false, &error);
    if (!connection)
        qFatal("%s", qPrintable(error));
    Run(connection.get(), statements);
    return connection;
}

const QString Sample = QStringLiteral(
    "insert into NoteType values (1, 0, 'Work'), (2, 1, 'Plans'), (3, 0, 'Home'), (4, 0, 'Home');"
    "insert into NoteBook values (2, 'line one'), (3, 'shopping');"
    "insert into IEType values (1, 0, 'News');"
    "insert into IE (TypeID, IEUrl, IEName, ReMark) values (1, 'a.example', 'A', ''), "
    "(1, 'a.example', 'A', ''), (1, 'b.example', 'B', 'r');");

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Two copies of one file, sync turned on in each without their having talked, give every row
    // the same id; a row one of them changed before is the only one whose versions disagree.
    void copiesOfOneFileMatch()
    {
        TTestFolder folder;
        const TConnection one = Copy(folder, QStringLiteral("one.dat"), Sample);
        const TConnection two = Copy(folder, QStringLiteral("two.dat"), Sample);
        Run(two.get(), QStringLiteral("update NoteBook set ReMark='line two' where TypeID=2"));
        ChangeScan::Run(one.get(), QStringLiteral("d1"), Now);
        ChangeScan::Run(two.get(), QStringLiteral("d2"), Now);
        const TSnapshot first = RowStore::Read(one.get());
        const TSnapshot second = RowStore::Read(two.get());
        int rows = 0;
        for (const auto& [table, rowsOfOne] : first) {
            QCOMPARE(second.at(table).Rows.size(), rowsOfOne.Rows.size());
            for (const TRow& row : rowsOfOne.Rows) {
                const TRow* other = second.at(table).Find(row.Id);
                QVERIFY2(other, qPrintable(table + row.Fields.join(QLatin1Char('|'))));
                QCOMPARE(row.Versions == other->Versions, row.Fields == other->Fields);
                ++rows;
            }
        }
        QCOMPARE(rows, 10);
    }

    // What changed since the last look is found by the rows' content, however it was written.
    void changesFound_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("changed");
        QTest::addColumn<int>("deleted");
        QTest::newRow("nothing") << QString() << 0 << 0 << 0;
        QTest::newRow("a note typed")
            << "update NoteBook set ReMark='x' where TypeID=3" << 0 << 1 << 0;
        QTest::newRow("a group moved")
            << "update NoteType set ParentIndex=3 where SelfIndex=1" << 0 << 1 << 0;
        QTest::newRow("a parent renamed: its child is not changed")
            << "update NoteType set TypeName='Job' where SelfIndex=1" << 0 << 1 << 0;
        QTest::newRow("an address added")
            << "insert into IE (TypeID, IEUrl) values (1, 'c.example')" << 1 << 0 << 0;
        QTest::newRow("a group deleted with its note")
            << "delete from NoteType where SelfIndex=2; delete from NoteBook where TypeID=2" << 0
            << 0 << 2;
        QTest::newRow("an address moved to another group")
            << "insert into IEType values (2, 0, 'Old'); update IE set TypeID=2 where ID=3" << 1
            << 1 << 0;
    }

    void changesFound()
    {
        QFETCH(QString, change);
        QFETCH(int, added);
        QFETCH(int, changed);
        QFETCH(int, deleted);
        TTestFolder folder;
        const TConnection db = Copy(folder, QStringLiteral("one.dat"), Sample);
        ChangeScan::Run(db.get(), QStringLiteral("d1"), Now);
        const TSnapshot before = RowStore::Read(db.get());
        Run(db.get(), change);
        const ChangeScan::TCounts counts = ChangeScan::Run(db.get(), QStringLiteral("d1"), Now + 1);
        QCOMPARE(counts.Added, added);
        QCOMPARE(counts.Changed, changed);
        QCOMPARE(counts.Deleted, deleted);
        // A changed or deleted row's version has seen the one before; the others stay.
        const TSnapshot after = RowStore::Read(db.get());
        int newer = 0;
        for (const auto& [table, rows] : before)
            for (const TRow& row : rows.Rows) {
                const TRow* now = after.at(table).Find(row.Id);
                const TVersionVector versions =
                    now ? now->Versions : after.at(table).Deletions.value(row.Id).Versions;
                QVERIFY(versions.Covers(row.Versions));
                newer += versions != row.Versions;
            }
        QCOMPARE(newer, changed + deleted);
        QCOMPARE(ChangeScan::Run(db.get(), QStringLiteral("d1"), Now + 2).Changed, 0);
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
