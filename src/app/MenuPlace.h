#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

// Where a menu of the given size opens at the pointer: down and right of it, turned to the
// other side where the screen's free area ends, and never beyond that area.
QPoint MenuPlaceAtPointer(QSize menu, QPoint pointer, QRect screen);

// Where a menu opened from a button by the keyboard goes: below the button, or above it when
// there is no room below; its left edge at the button's, moved in where the screen ends.
QPoint MenuPlaceAtButton(QSize menu, QRect button, QRect screen);
