// Bursts of 200 real keys into a note of 1 KB and of 1 MB, sent 0, 6 and 16 ms apart through a
// display server: the commits they took, the longest time the note went without a repaint while
// they came, and the time from the last key (and from the first) to the last commit, against 200
// bare updates of the same row of a copy of the database, measured in the same run. Then a
// reader holds a lock on the file for 5 s while 50 keys come 50 ms apart: the slowest key to
// show, whether the unsaved bar showed, and how long after the lock was let go the note was
// stored. The note page runs as its own program (note_window) on Xvfb with openbox, the keys
// sent with XTest; "wayland" runs it on weston instead, the keys coming as Wayland events.
// Run: bench_burst [x11|wayland] [runs] [delivered database]

#include "DisplaySession.h"
#include "NoteBench.h"

#include <QCoreApplication>
#include <QTemporaryDir>

namespace {

// The text note_window makes of a size.
QString WindowNote(int size)
{
    QString text;
    for (int i = 0; text.size() < size; ++i)
        text += QStringLiteral("第%1行 a note line of plain text\n").arg(i);
    return text;
}

// 200 updates of one row with the text growing a letter each, as the keys would have it: the
// whole time and the median of one, in ms.
std::pair<double, double> BareUpdates(TBareWriter& writer, const QString& note, int keys)
{
    QString text = note;
    writer.Write(text);
    std::vector<double> each;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < keys; ++i) {
        text += QChar(u'a' + i % 26);
        const qint64 start = clock.nsecsElapsed();
        writer.Write(text);
        each.push_back(double(clock.nsecsElapsed() - start) / 1e6);
    }
    return {double(clock.nsecsElapsed()) / 1e6, Median(each)};
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool wayland = argc > 1 && qstrcmp(argv[1], "wayland") == 0;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString delivered =
        argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(VELMORA_DELIVERED_DB);
    QTemporaryDir folder;
    const QString bare = folder.filePath(QStringLiteral("bare.dat"));
    if (!QFile::copy(delivered, bare) ||
        !QFile::setPermissions(bare, QFile::ReadOwner | QFile::WriteOwner))
        return 1;
    TBareWriter writer(bare);

    TDisplaySession session(wayland ? TDisplaySession::TKind::Wayland
                                    : TDisplaySession::TKind::X11);
    const QString problem = session.Start();
    if (!problem.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(problem));
        return 1;
    }
    TNoteWindow window(session);
    const QString started = window.Start(QStringLiteral(NOTE_WINDOW), delivered);
    if (!started.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(started));
        return 1;
    }

    constexpr int Keys = 200;
    for (int run = 1; run <= runs; ++run) {
        std::printf("run %d (%s)\n", run, wayland ? "Wayland, weston" : "X11, Xvfb + openbox");
        std::printf("%5s %4s %8s %6s %8s %8s %9s %9s %8s %7s %7s %4s\n", "note", "ms", "commits",
                    "most", "gap ms", "slowest", "last key", "1st key", "bare200", "ratio",
                    "commit", "bar");
        for (const int size : {1024, 1024 * 1024}) {
            const auto [bare200, commit] = BareUpdates(writer, WindowNote(size), Keys);
            for (const int spacing : {0, 6, 16}) {
                if (!window.Note(size))
                    return 1;
                const TNoteWindow::TBurst burst = window.Burst(Keys, spacing);
                // At most one commit to start and one per commit's time (a bare update's median)
                // while the keys came in, from the first sent to the last shown.
                const int most = 1 + int(burst.Arrival / commit);
                std::printf("%4dK %4d %8d %6d %8.1f %8.1f %9.1f %9.1f %8.1f %6.2fx %7.1f %4s%s\n",
                            size / 1024, spacing, burst.Commits, most, burst.LongestGap,
                            burst.SlowestKey, burst.LastKeyToCommit, burst.FirstKeyToCommit,
                            bare200, burst.FirstKeyToCommit / bare200, commit,
                            burst.Bar ? "yes" : "no", burst.Stored ? "" : "  NOT STORED");
            }
        }
        if (!window.Note(1024))
            return 1;
        window.Lock(5000);
        const TNoteWindow::TBurst locked = window.Burst(50, 50);
        std::printf("lock 5 s, 50 keys 50 ms apart: slowest key %.1f ms, bar %s, stored %.1f ms "
                    "after the release%s\n",
                    locked.SlowestKey, locked.Bar ? "shown" : "not shown",
                    double(locked.LastCommitNs - locked.ReleasedNs) / 1e6,
                    locked.Stored ? "" : ", NOT STORED");
    }
    std::printf("goals: 1 MB at 0-6 ms: 1st key to last commit at most 0.30x bare200 (ratio), gap "
                "at most 100 ms, commits at most 'most' (1 + the keys' arrival / one commit); "
                "16 ms: last key to last commit at most 100 ms; lock: slowest key at most 100 ms, "
                "bar shown, stored within 2000 ms\n");
    return 0;
}
