#include "TestFolder.h"

#include "data/DbAccess.h"
#include "data/RecycleBin.h"

#include <QtTest>

namespace {

// The rows of a statement, their columns joined by commas.
QStringList Rows(TDbAccess& db, const QString& sql)
{
    db.OpenQuery(sql);
    QStringList rows;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next()) {
        QStringList fields;
        for (int at = 0; at < set.FieldCount(); ++at)
            fields << set.AsString(at);
        rows << fields.join(QLatin1Char(','));
    }
    return rows;
}

} // namespace

class TestRecycleBin : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A group goes with the rows below it, its content and its note's history; a restore puts
    // all of it back, following a new number when its own was taken meanwhile.
    void groupGoesAndComesBack_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<QString>("group"); // the restored group's row
        for (const char* table : {"NoteType", "IEType"}) {
            const QString t = QString::fromLatin1(table);
            QTest::addRow("%s where it was", table) << t << QString() << QStringLiteral("2,1,项目");
            QTest::addRow("%s parent gone", table)
                << t << QStringLiteral("delete from %1 where SelfIndex=1").arg(t)
                << QStringLiteral("2,0,项目");
            QTest::addRow("%s number taken", table)
                << t << QStringLiteral("insert into %1 values (2, 0, '项目')").arg(t)
                << QStringLiteral("5,1,项目（2）");
        }
    }
    void groupGoesAndComesBack()
    {
        QFETCH(QString, table);
        QFETCH(QString, meanwhile);
        QFETCH(QString, group);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(
            QStringLiteral("insert into %1 values (1, 0, '工作'); insert into %1 values (2, 1, "
                           "'项目'); insert into %1 values (3, 2, '子'); insert into %1 values "
                           "(4, 0, '别的'); insert into NoteBook values (2, 'n''ote');"
                           "insert into IE values (7, 2, 'a.cn', '', 'r'); insert into NoteHistory "
                           "(TypeID, Saved, Length, FirstLine, Content) values (2, 1, 1, 'v', 'x')")
                .arg(table));
        const QString content = table == QLatin1String("NoteType")
                                    ? QStringLiteral("select TypeID, ReMark from NoteBook")
                                    : QStringLiteral("select ID, TypeID, IEUrl from IE");
        const QStringList before = Rows(db, content);
        const QString groups = QStringLiteral("select * from %1 order by SelfIndex").arg(table);
        const QString history = QStringLiteral("select TypeID, BinItem from NoteHistory");
        TRecycleBin bin(db.Handle(), [] { return qint64(1000); });

        const qint64 item = bin.KeepGroup(table, 2);
        QCOMPARE(Rows(db, groups).size(), 2);
        QCOMPARE(Rows(db, content).size(), before.size() - 1);
        const QString root =
            table == QLatin1String("NoteType") ? QStringLiteral("根目录") : QStringLiteral("全部");
        QCOMPARE(bin.List().size(), size_t(1));
        QCOMPARE(bin.List().front().What + bin.List().front().Place,
                 QStringLiteral("项目") + root + QStringLiteral("->工作"));
        if (table == QLatin1String("NoteType"))
            QCOMPARE(Rows(db, history), QStringList{QStringLiteral("2,%1").arg(item)});

        if (!meanwhile.isEmpty())
            db.ExecuteBatch(meanwhile);
        const TRecycleBin::TRestored restored = bin.Restore(item);
        const QString number = group.section(QLatin1Char(','), 0, 0);
        QCOMPARE(restored.Group, number.toLongLong());
        QVERIFY(Rows(db, groups).contains(group));
        QVERIFY(Rows(db, groups).contains(QStringLiteral("3,%1,子").arg(number)));
        // The content follows its group's number.
        const bool notes = table == QLatin1String("NoteType");
        QStringList expected = before;
        expected.replaceInStrings(
            QRegularExpression(notes ? QStringLiteral("^2,") : QStringLiteral("^(\\d+),2,")),
            notes ? number + QLatin1Char(',') : QString(QStringLiteral("\\1,") + number + u','));
        QCOMPARE(Rows(db, content), expected);
        if (table == QLatin1String("NoteType"))
            QCOMPARE(Rows(db, history), QStringList{number + QLatin1Char(',')});
        QVERIFY(bin.List().empty());
    }

    // An address comes back under the top when its group is gone, with a new ID when its own
    // was taken meanwhile.
    void addressComesBack()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into IEType values (1, 0, 'g');"
                                       "insert into IE values (7, 1, 'a.cn', '', 'it''s')"));
        TRecycleBin bin(db.Handle());
        const qint64 item = bin.KeepAddress(7);
        QCOMPARE(bin.List().front().What, QStringLiteral("a.cn")); // no title: the address
        db.ExecuteBatch(QStringLiteral("delete from IEType; insert into IE values (7, 0, 'b', "
                                       "'', '')"));
        QCOMPARE(bin.Restore(item).AddressId, 8);
        QCOMPARE(Rows(db, QStringLiteral("select * from IE order by ID")),
                 QStringList({QStringLiteral("7,0,b,,"), QStringLiteral("8,0,a.cn,,it's")}));
    }

    // Items go for good after 30 days, with the history of their notes; younger ones stay.
    void erasedAfterThirtyDays()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        qint64 now = 0;
        TRecycleBin bin(db.Handle(), [&now] { return now; });
        db.ExecuteBatch(QStringLiteral(
            "insert into NoteType values (1, 0, 'a'); insert into NoteType values (2, 0, 'b');"
            "insert into NoteHistory (TypeID, Saved, Length, FirstLine, Content) values "
            "(1, 1, 1, 'v', 'x')"));
        bin.KeepGroup(QStringLiteral("NoteType"), 1);
        now = 1000;
        bin.KeepGroup(QStringLiteral("NoteType"), 2);
        now = TRecycleBin::KeptMs;
        QCOMPARE(bin.EraseExpired(), 0);
        now = TRecycleBin::KeptMs + 1;
        QCOMPARE(bin.EraseExpired(), 1);
        QCOMPARE(bin.List().front().What, QStringLiteral("b"));
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteHistory")), 0);
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from RecycleBinRow")), 1);
    }
};

#include "tst_recyclebin.moc"

QTEST_GUILESS_MAIN(TestRecycleBin)
