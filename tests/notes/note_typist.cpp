// A child for the notes test: shows the root note of the database in the given folder and types
// the given text at its end in quick bursts of posted keys, as a fast typist would. Each time the
// editor paints, the length of the text it shows goes to standard output, unbuffered, so that
// whoever kills this process knows what was on screen before.
// Run: note_typist <folder> <text>

#include "common/AppPath.h"
#include "common/CardException.h"
#include "data/DbAccess.h"
#include "notes/NotePage.h"

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

class TPaintReporter final : public QObject
{
public:
    explicit TPaintReporter(TNotePage& page) : FPage(page) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            Report(QByteArray::number(FPage.MemoText().size()));
        return QObject::eventFilter(watched, event);
    }

private:
    TNotePage& FPage;
};

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
    TCardException handler;
    TDbAccess db;
    db.Connect();
    if (!db.Connected())
        return 1;

    TNotePage page;
    page.resize(800, 480);
    page.show();
    page.LoadGroups();
    page.ShowRootNote();
    page.mmoNote->setFocus();
    page.mmoNote->moveCursor(QTextCursor::End);
    TPaintReporter reporter(page);
    page.mmoNote->viewport()->installEventFilter(&reporter);

    qsizetype next = 0;
    QTimer typing;
    QObject::connect(&typing, &QTimer::timeout, &page, [&] {
        for (int i = 0; i < 7 && next < text.size(); ++i, ++next) {
            const QChar c = text.at(next);
            const int key = c == QLatin1Char('\n') ? int(Qt::Key_Return) : int(Qt::Key_A);
            const QString keyText = c == QLatin1Char('\n') ? QStringLiteral("\r") : QString(c);
            QCoreApplication::postEvent(page.mmoNote,
                                        new QKeyEvent(QEvent::KeyPress, key, {}, keyText));
            QCoreApplication::postEvent(page.mmoNote,
                                        new QKeyEvent(QEvent::KeyRelease, key, {}, keyText));
        }
        if (next >= text.size()) {
            typing.stop();
            Report("typed");
        }
    });
    typing.start(3);
    return QApplication::exec();
}
