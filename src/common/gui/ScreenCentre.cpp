#include "common/gui/ScreenCentre.h"

#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace {

class TScreenCentre final : public QObject
{
public:
    explicit TScreenCentre(QWidget& window) : QObject(&window), FWindow(window)
    {
        FWindow.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == FWindow.windowHandle() && event->type() == QEvent::Expose) {
            // The first exposure comes with the frame in place: its size is known now.
            if (!FExposed && FWindow.windowHandle()->isExposed()) {
                FExposed = true;
                Centre();
            }
            return false;
        }
        if (watched != &FWindow)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            FShown = true;
            FFollow = true;
            FExposed = false;
            if (QWindow* handle = FWindow.windowHandle())
                handle->installEventFilter(this);
            Centre();
            break;
        case QEvent::Hide:
            FShown = false;
            break;
        case QEvent::Resize:
            if (FShown && FFollow)
                Centre();
            break;
        case QEvent::Move:
            // A place that is not ours, after the desktop has shown the window: the user's.
            if (FShown && FExposed && FWindow.pos() != FPlaced)
                FFollow = false;
            break;
        default:
            break;
        }
        return false;
    }

private:
    void Centre()
    {
        const QScreen* screen = FWindow.screen();
        if (!screen)
            return;
        const QRect area = screen->availableGeometry();
        QRect frame = FWindow.frameGeometry();
        frame.moveCenter(area.center());
        // A window larger than the screen keeps its title bar on it.
        frame.moveTopLeft(
            QPoint(std::max(frame.left(), area.left()), std::max(frame.top(), area.top())));
        FPlaced = frame.topLeft();
        if (FWindow.pos() != FPlaced)
            FWindow.move(FPlaced);
    }

    QWidget& FWindow;
    QPoint FPlaced;
    bool FShown = false;
    bool FExposed = false;
    bool FFollow = true;
};

} // namespace

void KeepCentredOnScreen(QWidget& window)
{
    new TScreenCentre(window);
}
