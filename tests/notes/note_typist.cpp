// A child for the notes test: shows the root note of the database in the given folder and types
// the given text at its end, in quick bursts of posted keys (spacing 0) or a key every spacing
// ms. Each time a save commits, the length of the note read back from the file goes to
// standard output, unbuffered, so that whoever kills this process knows what was committed.
// Run: note_typist <folder> <text> [spacing]

#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "notes/Note.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTimer>

#include <unistd.h>

namespace {

void Report(const QByteArray& line)
{
    const QByteArray out = line + '\n';
    [[maybe_unused]] const ssize_t written =
        ::write(STDOUT_FILENO, out.constData(), size_t(out.size()));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    SetAppPath(QString::fromLocal8Bit(argv[1]));
    const QString text = QString::fromUtf8(argv[2]);
    const int spacing = argc > 3 ? atoi(argv[3]) : 0;
    // Nobody watches the typist: a box is written to the error stream.
    TQuietDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    db.Connect(dialogs);
    if (!db.Connected())
        return 1;

    TNote note(db);
    TNotePage page(db, dialogs, note);
    page.resize(800, 480);
    page.show();
    page.LoadGroups();
    page.ShowRootNote();
    QPlainTextEdit* editor = page.findChild<QPlainTextEdit*>(QStringLiteral("mmoNote"));
    editor->setFocus();
    editor->moveCursor(QTextCursor::End);
    // Typing starts once the writer is ready, so that what the test sees is the saves, not the
    // keying of the writer's connection.
    db.Writer().WaitReady(std::chrono::seconds(10));
    QObject::connect(&page.NoteSaver(), &TNoteSaver::Saved, &page, [&] {
        note.LoadNote(QStringLiteral("0"));
        Report(QByteArray::number(note.ReMark.size()));
    });

    qsizetype next = 0;
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, &page, [&] {
        for (int i = 0; i < (spacing > 0 ? 1 : 7) && next < text.size(); ++i, ++next) {
            const QChar c = text.at(next);
            const int key = c == QLatin1Char('\n') ? int(Qt::Key_Return) : int(Qt::Key_A);
            const QString keyText = c == QLatin1Char('\n') ? QStringLiteral("\r") : QString(c);
            QCoreApplication::postEvent(editor, new QKeyEvent(QEvent::KeyPress, key, {}, keyText));
            QCoreApplication::postEvent(editor,
                                        new QKeyEvent(QEvent::KeyRelease, key, {}, keyText));
        }
        if (next >= text.size()) {
            typing.stop();
            Report("typed");
        }
    });
    typing.start(spacing > 0 ? spacing : 3);
    return QApplication::exec();
}
