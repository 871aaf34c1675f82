// Bursts of 200 real keys into a note of 1 KB, 100 KB and 1 MB, sent 0, 6 and 16 ms apart through
// a display server, first on a quiet machine, then with stress-ng loading both cores and the disk
// (started and stopped here). For each: the longest time the note went without a repaint while the
// keys came, the same for a plain editor holding the same text in a bare window of the page's
// size that saves nothing (measured in the same run, just before the note, every other run just
// after) and their ratio, the slowest key to show, the commits, the time from the last key sent to
// its commit, and whether the unsaved bar showed. One bare commit of the note's text is given for
// scale. Then a reader holds a lock on the file for 5 s while 50 keys come 50 ms apart: the
// slowest key to show, whether the bar showed (it should: the saves fail), and how long after the
// lock was let go the note was stored. The note page runs as its own program (note_window) on Xvfb
// with openbox, the keys sent with XTest; "wayland" runs it on weston instead, the keys coming as
// Wayland events.
// Run: bench_burst [x11|wayland] [runs] [delivered database or -] [cases]; a case such as 1024K/0
// (note size in KB, spacing in ms, either may be *) limits the bursts to those that match.

#include "DisplaySession.h"
#include "NoteBench.h"

#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

namespace {

// The cases asked for on the command line, as size in bytes and spacing in ms; -1 for any.
std::vector<std::pair<int, int>> Cases;

void ChooseCases(const QStringList& words)
{
    for (const QString& word : words) {
        const QStringList parts = word.split(QLatin1Char('/'));
        const auto number = [](const QString& part, int unit) {
            bool ok = false;
            const int value = QString(part).remove(QLatin1Char('K')).toInt(&ok);
            return ok ? value * unit : -1;
        };
        Cases.emplace_back(number(parts.value(0), 1024), number(parts.value(1), 1));
    }
}

// Whether a burst of that size and spacing (-1: whichever) is asked for.
bool Chosen(int size, int spacing)
{
    return Cases.empty() || std::any_of(Cases.begin(), Cases.end(), [&](const auto& chosen) {
               return (chosen.first < 0 || chosen.first == size) &&
                      (spacing < 0 || chosen.second < 0 || chosen.second == spacing);
           });
}

// The text note_window makes of a size.
QString WindowNote(int size)
{
    QString text;
    for (int i = 0; text.size() < size; ++i)
        text += QStringLiteral("第%1行 a note line of plain text\n").arg(i);
    return text;
}

// The median of a few bare commits of the note's text, in ms.
double BareCommit(TBareWriter& writer, const QString& note)
{
    QString text = note;
    writer.Write(text);
    std::vector<double> each;
    QElapsedTimer clock;
    for (int i = 0; i < 9; ++i) {
        text += QChar(u'a' + i % 26);
        clock.start();
        writer.Write(text);
        each.push_back(double(clock.nsecsElapsed()) / 1e6);
    }
    return Median(each);
}

// Both cores and the disk kept busy by stress-ng while it lives, its files in a folder of its own.
class TBackgroundLoad final
{
public:
    QString Start()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("stress-ng")).isEmpty())
            return QStringLiteral("missing stress-ng");
        FProcess.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        FProcess.setStandardOutputFile(QProcess::nullDevice());
        FProcess.start(QStringLiteral("stress-ng"),
                       {QStringLiteral("--cpu"), QStringLiteral("2"), QStringLiteral("--hdd"),
                        QStringLiteral("1"), QStringLiteral("--hdd-bytes"), QStringLiteral("128M"),
                        QStringLiteral("--temp-path"), FFolder.path(), QStringLiteral("--timeout"),
                        QStringLiteral("1800s"), QStringLiteral("--quiet")});
        if (!FProcess.waitForStarted())
            return QStringLiteral("stress-ng did not start");
        // The load is under way before the first key.
        QThread::msleep(1000);
        return {};
    }

    ~TBackgroundLoad()
    {
        if (FProcess.state() == QProcess::NotRunning)
            return;
        FProcess.terminate();
        if (!FProcess.waitForFinished(10000)) {
            FProcess.kill();
            FProcess.waitForFinished(3000);
        }
    }

private:
    QTemporaryDir FFolder;
    QProcess FProcess;
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const bool wayland = argc > 1 && qstrcmp(argv[1], "wayland") == 0;
    const int runs = argc > 2 ? std::max(1, atoi(argv[2])) : 3;
    const QString delivered = argc > 3 && qstrcmp(argv[3], "-") != 0
                                  ? QString::fromLocal8Bit(argv[3])
                                  : QStringLiteral(VELMORA_DELIVERED_DB);
    ChooseCases(QCoreApplication::arguments().mid(4));
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
        for (const bool busy : {false, true}) {
            std::printf("run %d (%s), %s\n", run,
                        wayland ? "Wayland, weston" : "X11, Xvfb + openbox",
                        busy ? "busy: stress-ng --cpu 2 --hdd 1" : "no added load");
            TBackgroundLoad load;
            if (busy) {
                const QString loading = load.Start();
                if (!loading.isEmpty()) {
                    std::fprintf(stderr, "%s\n", qPrintable(loading));
                    return 1;
                }
            }
            std::printf("%6s %4s %8s %9s %7s %8s %8s %9s %9s %4s\n", "note", "ms", "gap ms",
                        "plain gap", "ratio", "slowest", "commits", "last key", "1 commit", "bar");
            for (const int size : {1024, 100 * 1024, 1024 * 1024}) {
                if (!Chosen(size, -1))
                    continue;
                const double commit = BareCommit(writer, WindowNote(size));
                for (const int spacing : {0, 6, 16}) {
                    if (!Chosen(size, spacing))
                        continue;
                    // Which side goes first changes from run to run: neither always types
                    // right behind the other's work.
                    TNoteWindow::TBurst plain;
                    TNoteWindow::TBurst burst;
                    for (const bool plainSide : {run % 2 == 1, run % 2 == 0}) {
                        if (!(plainSide ? window.Plain(size) : window.Note(size)))
                            return 1;
                        (plainSide ? plain : burst) = window.Burst(Keys, spacing);
                    }
                    std::printf("%5dK %4d %8.1f %9.1f %6.2fx %8.1f %8d %9.1f %9.1f %4s%s\n",
                                size / 1024, spacing, burst.LongestGap, plain.LongestGap,
                                burst.LongestGap / std::max(plain.LongestGap, 0.1),
                                burst.SlowestKey, burst.Commits, burst.LastKeyToCommit, commit,
                                burst.Bar ? "yes" : "no", burst.Stored ? "" : "  NOT STORED");
                    std::fflush(stdout);
                }
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
    std::printf("goals: busy, 1 MB: gap at most 50 ms (ratio: against the plain editor); last key "
                "to commit at most 200 ms; bar never shown for a healthy disk; lock: slowest key "
                "at most 100 ms, bar shown, stored within 2000 ms\n");
    return 0;
}
