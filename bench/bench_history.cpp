// The note history: (1) 历史版本 opened for a note with 500 versions, from the menu item's
// trigger until the dialog has painted its filled list, median of several openings (goal at
// most 200 ms); (2) a year of daily editing of a 100 KB note of prose, each day a few
// paragraphs rewritten through the editor and a version kept after each (a pause, another
// group), the history's clock moved a day at a time: what the history takes after 365 days
// (goal under 5 MB).
// Run: bench_history [delivered database] [openings]; it works in a temporary folder, offscreen.

#include "NoteBench.h"
#include "data/NoteHistory.h"

#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTimer>

namespace {

constexpr qint64 DayMs = TNoteHistory::DayMs;

// Sentences of made-up words drawn unevenly from a large vocabulary, one in six Chinese, in
// paragraphs: text that packs about as well as a journal does.
class TProse
{
public:
    TProse() : FRandom(20240305)
    {
        const QString consonants = QStringLiteral("bcdfghjklmnprstvwyz");
        const QString vowels = QStringLiteral("aeiou");
        for (int i = 0; i < 4000; ++i) {
            QString word;
            for (int syllables = 1 + int(FRandom.bounded(3)); syllables > 0; --syllables)
                word += consonants[FRandom.bounded(int(consonants.size()))] +
                        QString(vowels[FRandom.bounded(int(vowels.size()))]);
            FWords << word;
        }
        for (int i = 0; i < 1500; ++i)
            FWords << QString(QChar(0x4E00 + FRandom.bounded(0x1000))) +
                          QChar(0x4E00 + FRandom.bounded(0x1000));
    }

    QString Paragraph()
    {
        QString text;
        for (int sentences = 3 + int(FRandom.bounded(4)); sentences > 0; --sentences) {
            for (int words = 6 + int(FRandom.bounded(14)); words > 0; --words) {
                const double r = FRandom.generateDouble();
                text += FWords[int(r * r * r * double(FWords.size()))];
                text += words > 1 ? QStringLiteral(" ") : QStringLiteral(". ");
            }
        }
        return text.trimmed();
    }

    QString Text(int bytes)
    {
        QString text;
        while (text.toUtf8().size() < bytes)
            text += Paragraph() + QLatin1Char('\n');
        return text;
    }

    quint32 Below(quint32 bound) { return FRandom.bounded(bound); }

private:
    QRandomGenerator FRandom;
    QStringList FWords;
};

// Until the saves handed over are written and reported.
void Settle(TDbAccess& db, const TNoteSaver& saver)
{
    do
        QCoreApplication::processEvents();
    while (saver.Due() || saver.KeepPending() || !db.Writer().Idle());
    QCoreApplication::processEvents();
}

double OpenDialog(TBenchPage& page)
{
    const std::unique_ptr<QMenu> menu(page.Page->NoteMenu());
    QAction* history = nullptr;
    for (QAction* action : menu->actions())
        if (action->shortcut() == QKeySequence(Qt::CTRL | Qt::Key_H))
            history = action;
    QElapsedTimer timer;
    double shown = -1;
    // The list's first paint: once it is done, the time is taken and the dialog closed.
    struct TWatch : QObject
    {
        std::function<void()> Painted;
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (event->type() == QEvent::Paint && watched->parent() &&
                watched->parent()->objectName() == QLatin1String("tvVersions") && Painted)
                QTimer::singleShot(0, this, std::exchange(Painted, nullptr));
            return false;
        }
    } watch;
    watch.Painted = [&] {
        shown = double(timer.nsecsElapsed()) / 1e6;
        if (QWidget* dialog = QApplication::activeModalWidget())
            dialog->close();
    };
    qApp->installEventFilter(&watch);
    timer.start();
    history->trigger();
    while (shown < 0)
        QCoreApplication::processEvents();
    qApp->removeEventFilter(&watch);
    return shown;
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    const int openings = argc > 2 ? std::max(3, atoi(argv[2])) : 11;
    QTemporaryDir folder;
    TQuietDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;
    TProse prose;

    {
        // 500 versions of a 10 KB note, a paragraph apart, all of the last day (the history is
        // thinned when the page first shows).
        constexpr qint64 Apart = 150 * 1000;
        QString text = prose.Text(10 * 1024);
        qint64 now = QDateTime::currentMSecsSinceEpoch() - 500 * Apart;
        TNoteHistory history(db.Handle(), [&now] { return now; });
        TNoteHistory::InTransaction(db.Handle(), [&] {
            for (int i = 0; i < 500; ++i, now += Apart) {
                text = prose.Paragraph() + QLatin1Char('\n') + text.section(QLatin1Char('\n'), 1);
                history.Keep(0, text.toUtf8());
            }
        });
        TBenchPage page(db, text + QStringLiteral("!"));
        std::vector<double> times;
        for (int i = 0; i < openings; ++i)
            times.push_back(OpenDialog(page));
        std::printf("历史版本 with %zu versions: median %.1f ms, min %.1f, max %.1f over %d "
                    "openings (goal: at most 200 ms)\n",
                    history.List(0).size(), Median(times),
                    *std::min_element(times.begin(), times.end()),
                    *std::max_element(times.begin(), times.end()), openings);
        db.ExecuteBatch(QStringLiteral("delete from NoteHistory"));
    }

    {
        TBenchPage page(db, prose.Text(100 * 1024));
        qint64 now = QDateTime::currentMSecsSinceEpoch() - 365 * DayMs;
        page.Saver().SetHistoryClock([&now] { return now; });
        QElapsedTimer timer;
        timer.start();
        int edits = 0;
        for (int day = 0; day < 365; ++day) {
            for (int edit = 0; edit < 3; ++edit, ++edits) {
                // A paragraph rewritten, a few hours apart, the version kept once it is done.
                now += 3 * 3600 * 1000;
                QTextDocument* document = page.Editor->document();
                QTextCursor cursor(
                    document->findBlockByNumber(int(prose.Below(quint32(document->blockCount())))));
                cursor.select(QTextCursor::BlockUnderCursor);
                cursor.insertText(QStringLiteral("\n") + prose.Paragraph());
                Settle(db, page.Saver());
                page.Saver().KeepVersion();
                Settle(db, page.Saver());
            }
            now += DayMs - 9 * 3600 * 1000;
        }
        TNoteHistory history(db.Handle(), [&now] { return now; });
        const qint64 stored = history.StoredBytes();
        std::printf("a year of daily editing of a %lld KB note (%d edits, %.1f s): %zu versions "
                    "kept, %.2f MB of history (goal: under 5 MB)\n",
                    static_cast<long long>(page.Page->MemoUtf8().size() / 1024), edits,
                    double(timer.elapsed()) / 1000, history.List(0).size(), double(stored) / 1e6);
    }
    return 0;
}
