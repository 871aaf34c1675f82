// A burst of 200 key events queued at once into a note of 1 KB and of 1 MB: the longest time the
// event loop did not come round, the time from the burst to the last commit, and the number of
// commits it took.
// Run: bench_burst [delivered database]; it works in a temporary folder, offscreen.

#include "NoteBench.h"

#include <QTemporaryDir>
#include <QTimer>

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    TCardException handler;
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;

    constexpr int Keys = 200;
    std::printf("%6s %14s %16s %8s\n", "note", "longest stall", "last commit ms", "commits");
    for (const int size : {1024, 1024 * 1024}) {
        TBenchPage page(NoteText(size));
        const qsizetype expected = page.Page->MemoText().size() + Keys;
        const int saves = page.Saver().Saves();
        QElapsedTimer clock;
        qint64 lastTurn = 0;
        qint64 longest = 0;
        // A zero timer fires once per turn of the event loop: the gaps between its shots are the
        // times the loop was busy.
        QTimer turns;
        QObject::connect(&turns, &QTimer::timeout, &turns, [&] {
            const qint64 now = clock.nsecsElapsed();
            longest = std::max(longest, now - lastTurn);
            lastTurn = now;
        });
        turns.start(0);
        clock.start();
        for (int i = 0; i < Keys; ++i)
            page.PostKey(Qt::Key_A, QString(QChar(u'a' + i % 26)));
        qint64 lastCommit = 0;
        while (page.Page->MemoText().size() < expected || page.Saver().Due()) {
            const int before = page.Saver().Saves();
            QCoreApplication::processEvents();
            if (page.Saver().Saves() != before)
                lastCommit = clock.nsecsElapsed();
        }
        QCoreApplication::processEvents();
        turns.stop();
        std::printf("%5dK %11.1f ms %16.1f %8d\n", size / 1024, double(longest) / 1e6,
                    double(lastCommit) / 1e6, page.Saver().Saves() - saves);
    }
    std::printf("goal (1 MB): longest stall at most 50 ms, last commit within 250 ms\n");
    return 0;
}
