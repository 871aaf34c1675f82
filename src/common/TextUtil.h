#pragma once

#include <QString>

// Removes leading and trailing characters of code 32 and below: blanks and control characters.
// Used where an emptiness test needs it; values themselves are always saved as typed.
QString TrimBlanks(const QString& text);

inline bool IsBlank(const QString& text)
{
    return TrimBlanks(text).isEmpty();
}
