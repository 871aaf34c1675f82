// One real keystroke in the note editor against a bare prepared UPDATE of the same text, for
// notes of 1 KB, 100 KB and 1 MB. The keystroke is a key event queued for the editor, timed
// until its save has committed; the bare UPDATE writes the text the editor then holds to a copy
// of the same database. The two alternate which runs first. Each pair's ratio rides on two
// syncs to disk, which on a shared machine can differ by half, so the median is taken over 101
// pairs unless told otherwise.
// With "history" the keystroke is timed against the same keystroke without the check that keeps
// a version before a save taking away more than half of the note, the two alternating which
// goes first; the goal is a median of at most 1.02x.
// Run: bench_keystroke [delivered database] [rounds] [history]; it works in a temporary folder,
// offscreen.

#include "NoteBench.h"

#include <QFile>
#include <QTemporaryDir>

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    const int rounds = argc > 2 ? std::max(3, atoi(argv[2])) : 101;
    const bool history = argc > 3 && qstrcmp(argv[3], "history") == 0;
    QTemporaryDir folder;
    const QString delivered = DeliveredDatabase(argc, argv);
    if (!InstallDatabase(folder, delivered))
        return 1;
    const QString bare = folder.path() + QStringLiteral("/bare.dat");
    if (!QFile::copy(delivered, bare) ||
        !QFile::setPermissions(bare, QFile::ReadOwner | QFile::WriteOwner))
        return 1;
    TQuietDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    db.Connect(dialogs);
    if (!db.Connected())
        return 1;
    TBareWriter writer(bare);

    std::printf("%6s %10s %10s %8s %8s %8s %12s %10s\n", "note", "key ms",
                history ? "unchecked" : "bare ms", "min", "median", "max", "overhead ms",
                "paint ms");
    for (const int size : {1024, 100 * 1024, 1024 * 1024}) {
        TBenchPage page(db, NoteText(size));
        writer.Write(page.Page->MemoText());
        std::vector<double> keys;
        std::vector<double> plain;
        std::vector<double> ratios;
        std::vector<double> overheads;
        std::vector<double> paints;
        QElapsedTimer timer;
        qint64 committed = 0;
        QObject::connect(&page.Saver(), &TNoteSaver::Saved, &page.Saver(),
                         [&] { committed = timer.nsecsElapsed(); });
        for (int round = 0; round < rounds; ++round) {
            const bool typing = round % 2 == 0;
            const auto keystroke = [&](std::vector<double>& into, bool check) {
                page.Saver().SetRemovalCheck(check);
                const int saves = page.Saver().Saves();
                timer.start();
                if (typing)
                    page.PostKey(Qt::Key_A, QStringLiteral("a"));
                else
                    page.PostKey(Qt::Key_Backspace, QString());
                while (page.Saver().Saves() == saves)
                    QCoreApplication::processEvents();
                // Up to the commit; the repaint that follows it is shown apart.
                into.push_back(double(committed) / 1e6);
                if (check)
                    paints.push_back(double(timer.nsecsElapsed() - committed) / 1e6);
            };
            const auto update = [&](const QString& text) {
                timer.start();
                writer.Write(text);
                plain.push_back(double(timer.nsecsElapsed()) / 1e6);
            };
            // The bare write's text is the one the keystroke leads to.
            const QString after =
                page.Page->MemoText() + (typing ? QStringLiteral("a") : QString());
            const QString text = typing ? after : after.chopped(1);
            // Without the check, the same key is typed once more (or one more taken away).
            const auto other = [&] {
                if (history)
                    keystroke(plain, false);
                else
                    update(text);
            };
            if (round % 4 < 2) {
                keystroke(keys, true);
                other();
            } else {
                other();
                keystroke(keys, true);
            }
            ratios.push_back(keys.back() / plain.back());
            overheads.push_back(keys.back() - plain.back());
        }
        std::sort(ratios.begin(), ratios.end());
        std::printf("%5dK %10.2f %10.2f %7.2fx %7.2fx %7.2fx %12.2f %10.2f\n", size / 1024,
                    Median(keys), Median(plain), ratios.front(), Median(ratios), ratios.back(),
                    Median(overheads), Median(paints));
    }
    std::printf("(%d keystrokes per size; ratios of each pair; goal: median at most %s)\n", rounds,
                history ? "1.02x" : "1.10x");
    return 0;
}
