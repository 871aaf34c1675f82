#include "data/DbWriter.h"

#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <stdexcept>
#include <thread>

namespace {

// A connection the work never touches: the work itself stands for the disk.
TConnection Scratch(QString*)
{
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    return TConnection(db);
}

qint64 Fail(TPrepared&)
{
    throw std::runtime_error("disk I/O error");
}

} // namespace

class TestDbWriter : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A disk that keeps failing is tried less and less often, down to once in 1.6 s.
    void retryPauseDoubles_data()
    {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("pause");
        QTest::newRow("first") << 1 << 100;
        QTest::newRow("second") << 2 << 200;
        QTest::newRow("fifth") << 5 << 1600;
        QTest::newRow("seventh") << 7 << 1600;
    }

    void retryPauseDoubles()
    {
        QFETCH(int, failures);
        QFETCH(int, pause);
        TDbWriter writer(&Scratch);
        writer.Submit(1, &Fail);
        for (int failed = 1; failed < failures; ++failed) {
            QTRY_COMPARE(writer.State().Failures, failed);
            writer.RetryNow();
        }
        QTRY_COMPARE(writer.State().Failures, failures);
        QCOMPARE(writer.State().Pause.count(), pause);
    }

    // Waiting for a ticket waits for that ticket, not for the one before it, even while the one
    // before is written and the awaited one is on its way.
    void waitForWaitsForItsTicket()
    {
        TDbWriter writer(&Scratch);
        writer.Submit(1, [&writer](TPrepared&) {
            writer.Submit(2, [](TPrepared&) {
                std::this_thread::sleep_for(std::chrono::milliseconds(50)); // a slow commit
                return qint64(2);
            });
            return qint64(1);
        });
        const TDbWriter::TState state = writer.WaitFor(2, std::chrono::seconds(10));
        QCOMPARE(state.Written, 2);
        QCOMPARE(state.Result, 2);
    }
};

QTEST_GUILESS_MAIN(TestDbWriter)
#include "tst_dbwriter.moc"
