#pragma once

#include <QtGlobal>

class QIcon;

// The pictures the button of a TCardEdtBut can show.
enum class TButtonGlyph : quint8
{
    CardDown = 0,   // a small triangle pointing down
    CardOK = 1,     // a tick
    CardLookup = 2, // three dots
    CardFolder = 3, // a folder
    CardFind = 4    // a magnifying glass
};

inline constexpr int ButtonGlyphCount = 5;

// The glyph's icon: the normal picture, and the greyed, engraved one shown while the control is
// disabled.
QIcon ButtonGlyphIcon(TButtonGlyph glyph);
