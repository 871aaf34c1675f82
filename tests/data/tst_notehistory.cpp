#include "TestFolder.h"

#include "data/DbAccess.h"
#include "data/NoteHistory.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

constexpr qint64 HourMs = 60 * 60 * 1000;

// Noon local time, so that hours back stay on the days the rows mean.
qint64 Noon()
{
    return QDateTime(QDate(2026, 6, 17), QTime(12, 0)).toMSecsSinceEpoch();
}

} // namespace

class TestNoteHistory : public QObject
{
    Q_OBJECT

    TTestFolder FFolder;
    qint64 FNow = 0;

    TNoteHistory History()
    {
        return TNoteHistory(FFolder.Db().Handle(), [this] { return FNow; });
    }

private Q_SLOTS:
    void init()
    {
        FFolder.Connect();
        FNow = Noon();
    }

    void keepsChangedVersionsNewestFirst()
    {
        TNoteHistory history = History();
        const QByteArray first = QStringLiteral("\n  日记 '@#@'\\ \n第二行").toUtf8();
        QVERIFY(history.Keep(7, first));
        FNow += 1000;
        QVERIFY(!history.Keep(7, first));
        QVERIFY(history.Keep(7, "later"));
        QVERIFY(history.Keep(8, first));
        const std::vector<TNoteHistory::TVersion> versions = history.List(7);
        QCOMPARE(versions.size(), size_t(2));
        QCOMPARE(versions[0].Saved, FNow);
        QCOMPARE(versions[1].FirstLine, QStringLiteral("日记 '@#@'\\"));
        QCOMPARE(versions[1].Length, QString::fromUtf8(first).size());
        QCOMPARE(history.Text(versions[1].VersionId).toUtf8(), first);
        // Group 7 is gone for good (8 is there): its versions go at the next thinning of all.
        FFolder.Db().ExecuteBatch(QStringLiteral("insert into NoteType values (8, 0, 'x')"));
        history.Thin();
        QCOMPARE(history.List(7).size(), size_t(0));
        QCOMPARE(history.List(8).size(), size_t(1));
    }

    void thinsByAge_data()
    {
        QTest::addColumn<QList<int>>("hoursBack");
        QTest::addColumn<QList<int>>("kept");
        QTest::newRow("the last day, all") << QList<int>{1, 2, 23} << QList<int>{1, 2, 23};
        QTest::newRow("then one a day") << QList<int>{1, 49, 50, 73} << QList<int>{1, 49, 73};
        QTest::newRow("then one a week")
            << QList<int>{1, 24 * 100, 24 * 100 + 1, 24 * 200} << QList<int>{1, 2400, 4800};
        QTest::newRow("older than a year go") << QList<int>{1, 24 * 400} << QList<int>{1};
        QTest::newRow("but never the newest") << QList<int>{24 * 400, 24 * 401} << QList<int>{9600};
    }

    void thinsByAge()
    {
        QFETCH(QList<int>, hoursBack);
        QFETCH(QList<int>, kept);
        TNoteHistory history = History();
        const qint64 now = FNow;
        for (qsizetype i = hoursBack.size() - 1; i >= 0; --i) {
            FNow = now - hoursBack[i] * HourMs;
            history.Keep(0, QByteArray::number(i));
        }
        FNow = now;
        history.Thin();
        QList<int> left;
        for (const TNoteHistory::TVersion& version : history.List(0))
            left << int((now - version.Saved) / HourMs);
        QCOMPARE(left, kept);
    }

    void thinsToBudgetOldestFirst()
    {
        TNoteHistory history = History();
        // Text that packs poorly: a megabyte stays most of one.
        const auto text = [] {
            QByteArray bytes(768 * 1024, Qt::Uninitialized);
            QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                                  bytes.size() / 4);
            return bytes.toBase64();
        };
        for (int i = 0; i < 7; ++i) {
            FNow += 1000;
            history.Keep(i == 1 ? 2 : 1, text());
        }
        history.Thin(1);
        QVERIFY(history.StoredBytes() <= history.Budget());
        QCOMPARE(history.Budget(), TNoteHistory::BudgetFloor);
        // Note 2's only version is older than most of note 1's, but its newest.
        QCOMPARE(history.List(2).size(), size_t(1));
        const std::vector<TNoteHistory::TVersion> left = history.List(1);
        QCOMPARE(left.front().Saved, FNow);
        QVERIFY(left.size() < 5);
        // The oldest went: what is left is the newest few, in a row.
        QCOMPARE(left.back().Saved, FNow - qint64(left.size() - 1) * 1000);
    }

    void removesHalf_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<bool>("removes");
        QTest::newRow("select all, a key")
            << QByteArray("a year of notes") << QByteArray("x") << true;
        QTest::newRow("a cut in the middle")
            << QByteArray("0123456789") << QByteArray("0189") << true;
        QTest::newRow("a paste over all") << QByteArray("abcdef") << QByteArray("uvwxyz") << true;
        QTest::newRow("half exactly") << QByteArray("abcd") << QByteArray("ab") << false;
        QTest::newRow("typing") << QByteArray("abc") << QByteArray("abcd") << false;
        QTest::newRow("a first key") << QByteArray() << QByteArray("a") << false;
    }

    void removesHalf()
    {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        QFETCH(bool, removes);
        QCOMPARE(TNoteHistory::RemovesHalf(before, after), removes);
    }
};

QTEST_GUILESS_MAIN(TestNoteHistory)
#include "tst_notehistory.moc"
