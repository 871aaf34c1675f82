#pragma once

#include <QtGlobal>

class QImage;

// The pictures the button of a TCardEdtBut can show.
enum class TBmpCount : quint8
{
    CardDown = 0,   // a small triangle pointing down
    CardOK = 1,     // a tick
    CardLookup = 2, // three dots
    CardFolder = 3, // a folder
    CardFind = 4    // a magnifying glass
};

inline constexpr int ButtonGlyphCount = 5;
// Each glyph is a strip of two pictures side by side: the normal one, then the greyed one shown
// while the control is disabled.
inline constexpr int ButtonGlyphSide = 10;

// The glyph strip for a value, painted on its first request and kept for the rest of the run;
// every control shares it.
const QImage& LoadButtonGlyph(TBmpCount bmp);
