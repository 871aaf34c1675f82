// The notebook page as a window on a real display, for the burst test and benchmark, over the
// database in the given folder, told what to do on standard input, one command a line:
//   note <bytes>  the root note becomes a text of about that size, the caret at its end
//   plain <bytes> a bare window of the page's size with a plain editor (no saving) where the
//                 page has its note, holding the same text, takes the keys instead, until the
//                 next note command
//   lock <ms>     another connection holds a read lock on the file for that long
//   stored <n>    once the note is n long and the saves are done: whether the stored note is
//                 the text on screen (for the plain editor: once it is n long)
// It writes, one a line, unbuffered, with the monotonic time in ns: "shown <x> <y>" (where to
// click for the keyboard), "ready <length>", "paint <ns> <length> <bar>" for every paint of the
// note (bar 1 while the unsaved bar shows), "commit <ns> <commits>", "locked <ns>",
// "released <ns>" and "stored <ns> <length> <equal> <commits>".
// Run: note_window <folder>

#include "DisplaySession.h"

#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "data/Sqlite.h"
#include "notes/Note.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <functional>

#include <unistd.h>

namespace {

void Report(const QByteArray& line)
{
    const QByteArray out = line + '\n';
    [[maybe_unused]] const ssize_t written =
        ::write(STDOUT_FILENO, out.constData(), size_t(out.size()));
}

QByteArray Now()
{
    return QByteArray::number(MonotonicNs());
}

// Reports the paints of an editor while it is the one taking the keys.
class TPaintReporter final : public QObject
{
public:
    TPaintReporter(QPlainTextEdit& editor, std::function<bool()> bar)
        : FEditor(editor), FBar(std::move(bar))
    {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && FEditor.window()->isVisible()) {
            Painted = FEditor.document()->characterCount() - 1;
            Report("paint " + Now() + ' ' + QByteArray::number(Painted) + ' ' +
                   (FBar() ? '1' : '0'));
        }
        return QObject::eventFilter(watched, event);
    }

public:
    qint64 Painted = 0; // the length the last paint showed

private:
    QPlainTextEdit& FEditor;
    std::function<bool()> FBar;
};

QString WindowNote(int bytes)
{
    QString text;
    for (int i = 0; text.size() < bytes; ++i)
        text += QStringLiteral("第%1行 a note line of plain text\n").arg(i);
    return text;
}

bool WaitUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    QApplication application(argc, argv);
    SetAppPath(QString::fromLocal8Bit(argv[1]));
    TQuietDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    db.Connect(dialogs);
    if (!db.Connected())
        return 1;
    QString error;
    const TConnection holder = DatabaseFile::Open(db.DatabasePath(), false, &error);

    TNote note(db);
    TNotePage page(db, dialogs, note);
    page.setWindowTitle(QStringLiteral("Velmora"));
    page.resize(800, 560);
    page.show();
    page.LoadGroups();
    page.ShowRootNote();
    QPlainTextEdit* editor = page.findChild<QPlainTextEdit*>(QStringLiteral("mmoNote"));
    TPaintReporter reporter(*editor, [&] { return !page.NoteSaver().Unsaved().isEmpty(); });
    editor->viewport()->installEventFilter(&reporter);
    // The same-run baseline: the same text and keys in a plain editor that saves nothing.
    // In a bare window of the page's size, where the page has its note: the display server
    // keeps and updates windows of the same size for both.
    QWidget plainWindow;
    plainWindow.setWindowTitle(QStringLiteral("Plain"));
    QPlainTextEdit plain(&plainWindow);
    plain.setFont(editor->font());
    TPaintReporter plainReporter(plain, [] { return false; });
    plain.viewport()->installEventFilter(&plainReporter);
    QPlainTextEdit* typing = editor;
    QObject::connect(&page.NoteSaver(), &TNoteSaver::Saved, &page, [&] {
        Report("commit " + Now() + ' ' + QByteArray::number(page.NoteSaver().Saves()));
    });
    db.Writer().WaitReady(std::chrono::seconds(10));
    WaitUntil([&] { return page.isVisible() && editor->isVisible(); }, 5000);
    const QPoint centre = editor->mapToGlobal(editor->rect().center());
    Report("shown " + QByteArray::number(centre.x()) + ' ' + QByteArray::number(centre.y()));

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QByteArray pending;
    QObject::connect(&input, &QSocketNotifier::activated, &page, [&] {
        char buffer[256];
        const ssize_t got = ::read(STDIN_FILENO, buffer, sizeof buffer);
        if (got <= 0) {
            QCoreApplication::quit();
            return;
        }
        pending.append(buffer, got);
        while (pending.contains('\n')) {
            const qsizetype end = pending.indexOf('\n');
            const QList<QByteArray> words = pending.left(end).split(' ');
            pending.remove(0, end + 1);
            const QByteArray command = words.value(0);
            const int value = words.value(1).toInt();
            if (command == "plain") {
                // As large as the note's editor, where it stands in the page: a larger one would
                // have more to paint.
                plainWindow.resize(page.size());
                plain.setGeometry(QRect(editor->mapTo(&page, QPoint(0, 0)), editor->size()));
                page.hide();
                plain.setPlainText(WindowNote(value));
                plainWindow.show();
                plainWindow.activateWindow();
                plain.setFocus();
                plain.moveCursor(QTextCursor::End);
                typing = &plain;
                WaitUntil([&] { return plain.isActiveWindow() && plain.hasFocus(); }, 5000);
                Report("ready " + QByteArray::number(plain.document()->characterCount() - 1));
            } else if (command == "note") {
                plainWindow.hide();
                page.show();
                typing = editor;
                db.ExecuteBatch(QStringLiteral("delete from NoteBook"));
                db.RunPrepared("insert into NoteBook(TypeID,ReMark) values(0,?)",
                               {WindowNote(value).toUtf8()});
                page.ShowSelectedNote();
                page.activateWindow();
                editor->setFocus();
                editor->moveCursor(QTextCursor::End);
                WaitUntil([&] { return page.isActiveWindow() && editor->hasFocus(); }, 5000);
                Report("ready " + QByteArray::number(editor->document()->characterCount() - 1));
            } else if (command == "lock") {
                DatabaseFile::Execute(holder.get(),
                                      QStringLiteral("begin; select count(*) from NoteBook;"));
                Report("locked " + Now());
                QTimer::singleShot(value, &page, [&] {
                    DatabaseFile::Execute(holder.get(), QStringLiteral("commit"));
                    Report("released " + Now());
                });
            } else if (command == "stored") {
                const auto length = [&] {
                    return typing->document()->characterCount() - 1;
                };
                WaitUntil([&] { return length() >= value; }, 15000);
                if (typing == &plain) {
                    // Its paint may come after the text: the burst ends with it.
                    WaitUntil([&] { return plainReporter.Painted >= value; }, 15000);
                    Report("stored " + Now() + ' ' + QByteArray::number(length()) + " 1 " +
                           QByteArray::number(page.NoteSaver().Saves()));
                    continue;
                }
                WaitUntil([&] { return !page.NoteSaver().Due() && db.Writer().Idle(); }, 15000);
                note.LoadNote(QStringLiteral("0"));
                const QString shown = page.MemoText();
                Report("stored " + Now() + ' ' + QByteArray::number(shown.size()) + ' ' +
                       (note.ReMark == shown ? '1' : '0') + ' ' +
                       QByteArray::number(page.NoteSaver().Saves()));
            } else if (command == "quit") {
                QCoreApplication::quit();
            }
        }
    });
    return QApplication::exec();
}
