#pragma once

#include <QColor>

class QPalette;

// The striped grid's colours, taken from a palette so that rows stay readable in a dark colour
// scheme as in a light one: odd rows in the base colour, even rows in the base shifted a little
// towards cream, and sky-blue cell lines (toned down against a dark base). With a white base
// these are exactly white, cream and sky blue.
struct TGridColors
{
    QColor Odd;
    QColor Even;
    QColor Line;
};

TGridColors GridColorsFor(const QPalette& palette);

// The current row: the menu's highlight behind its highlighted text, the highlight darkened (or
// lightened) where the text would not read on it, as on many schemes' light blue.
struct TRowColors
{
    QColor Back;
    QColor Text;
};

TRowColors CurrentRowColors(const QPalette& menuPalette);
