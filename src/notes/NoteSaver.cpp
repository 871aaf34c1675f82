#include "notes/NoteSaver.h"

#include "common/CardException.h"
#include "data/DbAccess.h"
#include "notes/Note.h"

#include <QCoreApplication>
#include <QEvent>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QTimer>

#include <exception>

namespace {

// Typing goes on: these reach the editor, or the widgets around it when the editor lets a key
// pass, while keys are coming; they need no save before them.
bool IsTyping(const QObject* watched, const QEvent* event, const QPlainTextEdit* editor)
{
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::InputMethod:
        if (watched == editor)
            return true;
        if (const auto* widget = qobject_cast<const QWidget*>(watched))
            return widget->isAncestorOf(editor);
        return false;
    default:
        return false;
    }
}

// What may show the text, run a command, open a dialog or end the program.
bool NeedsSaveBefore(const QEvent* event)
{
    switch (event->type()) {
    case QEvent::Paint:
    case QEvent::UpdateRequest:
    case QEvent::Expose:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::TabletPress:
    case QEvent::TouchBegin:
    case QEvent::DragEnter:
    case QEvent::Drop:
    case QEvent::FocusOut:
    case QEvent::Show:
    case QEvent::Hide:
    case QEvent::WindowBlocked:
    case QEvent::WindowDeactivate:
    case QEvent::Close:
    case QEvent::Quit:
        return true;
    default:
        return false;
    }
}

} // namespace

TNoteSaver::TNoteSaver(QPlainTextEdit* editor, std::function<QByteArray()> text, QObject* parent)
    : QObject(parent), FEditor(editor), FText(std::move(text))
{
    if (QCoreApplication* application = QCoreApplication::instance()) {
        application->installEventFilter(this);
        ConnectGuarded(application, &QCoreApplication::aboutToQuit, this, [this] { Flush(); });
        if (auto* gui = qobject_cast<QGuiApplication*>(application))
            ConnectGuarded(gui, &QGuiApplication::commitDataRequest, this, [this] { Flush(); });
    }
}

TNoteSaver::~TNoteSaver()
{
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeEventFilter(this);
}

void TNoteSaver::Shown(qint32 typeId, qint64 rowId)
{
    FHasGroup = true;
    FTypeId = typeId;
    FRowId = rowId;
    FDue = false;
    FFailed = false;
}

void TNoteSaver::Forget()
{
    FHasGroup = false;
    FDue = false;
    FFailed = false;
}

void TNoteSaver::Changed()
{
    if (!FHasGroup)
        return;
    FDue = true;
    FFailed = false;
    if (FQueued)
        return;
    FQueued = true;
    // Posted behind the input already queued: a burst of keys ends in one save.
    QMetaObject::invokeMethod(
        this,
        [this] {
            FQueued = false;
            if (!FFailed)
                RunGuarded([this] { Flush(); });
        },
        Qt::QueuedConnection);
}

void TNoteSaver::Flush()
{
    if (!FDue || !FHasGroup || FSaving || !DbAccess)
        return;
    FSaving = true;
    FFailed = true;
    struct TDone
    {
        bool& Saving;
        ~TDone() { Saving = false; }
    } done{FSaving};
    FRowId = Note.StoreNote(FTypeId, FRowId, FText());
    FDue = false;
    FFailed = false;
    ++FSaves;
    Q_EMIT Saved();
}

void TNoteSaver::FlushBeforeEvent()
{
    std::exception_ptr failure;
    try {
        Flush();
    } catch (...) {
        failure = std::current_exception();
    }
    if (failure)
        QTimer::singleShot(
            0, this, [failure] { RunGuarded([&failure] { std::rethrow_exception(failure); }); });
}

bool TNoteSaver::eventFilter(QObject* watched, QEvent* event)
{
    if (FDue && !FFailed && !FSaving && NeedsSaveBefore(event) &&
        !IsTyping(watched, event, FEditor)) {
        FlushBeforeEvent();
    }
    return QObject::eventFilter(watched, event);
}
