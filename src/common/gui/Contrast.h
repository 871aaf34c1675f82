#pragma once

class QColor;
class QPalette;

// The contrast ratio of two colours as the accessibility guidelines define it, from relative
// luminance: 1 for the same colour up to 21 for black on white. Alpha is ignored.
double ContrastRatio(const QColor& first, const QColor& second);

// The least ratio at which text of ordinary size reads well.
inline constexpr double ReadableContrast = 4.5;

// A mix of two colours: the given share of the first, the rest of the second.
QColor Mixed(const QColor& first, const QColor& second, double share);

// The background, moved towards black behind light text or towards white behind dark text just
// far enough that the text reads on it; unchanged where it already does.
QColor ReadableBackground(const QColor& background, const QColor& text);

// The colour of a marked stretch of text, such as a search's match: the usual dark red where it
// reads on the background, a light red where that one does, else the text's own colour (the mark
// is bold as well, so it still stands out), or black or white where even that does not read.
QColor MarkColour(const QColor& background, const QColor& text);

// The colour a field's grey hint (its placeholder) is drawn in: the palette's own, as it shows on
// the field's base (a translucent one mixed with it), moved towards the text colour just far
// enough that it reads.
QColor PlaceholderColour(const QPalette& palette);

// True when a colour is nearer black than white, as the base colour of a dark colour scheme is.
bool IsDark(const QColor& colour);
