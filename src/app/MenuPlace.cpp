#include "app/MenuPlace.h"

#include <algorithm>

namespace {

// Keeps [from, from + length) inside [low, high], the start winning where it cannot fit.
int Clamp(int from, int length, int low, int high)
{
    return std::max(low, std::min(from, high + 1 - length));
}

} // namespace

QPoint MenuPlaceAtPointer(QSize menu, QPoint pointer, QRect screen)
{
    int x = pointer.x();
    int y = pointer.y();
    if (x + menu.width() > screen.right() + 1)
        x -= menu.width();
    if (y + menu.height() > screen.bottom() + 1)
        y -= menu.height();
    return {Clamp(x, menu.width(), screen.left(), screen.right()),
            Clamp(y, menu.height(), screen.top(), screen.bottom())};
}

QPoint MenuPlaceAtButton(QSize menu, QRect button, QRect screen)
{
    int y = button.bottom() + 1;
    if (y + menu.height() > screen.bottom() + 1 && button.top() - menu.height() >= screen.top())
        y = button.top() - menu.height();
    return {Clamp(button.left(), menu.width(), screen.left(), screen.right()),
            Clamp(y, menu.height(), screen.top(), screen.bottom())};
}
