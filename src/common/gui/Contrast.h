#pragma once

class QColor;

// The contrast ratio of two colours as the accessibility guidelines define it, from relative
// luminance: 1 for the same colour up to 21 for black on white. Alpha is ignored.
double ContrastRatio(const QColor& first, const QColor& second);

// The least ratio at which text of ordinary size reads well.
inline constexpr double ReadableContrast = 4.5;

// True when a colour is nearer black than white, as the base colour of a dark colour scheme is.
bool IsDark(const QColor& colour);
