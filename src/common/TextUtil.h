#pragma once

#include <QString>

// Removes leading and trailing characters of code 32 and below: blanks and control characters.
// Used where an emptiness test needs it; values themselves are always saved as typed.
QString TrimBlanks(const QString& text);

inline bool IsBlank(const QString& text)
{
    return TrimBlanks(text).isEmpty();
}

// A text cut in the middle to at most the given number of characters, "…" where it was cut:
// both ends of a long path or value stay readable.
QString ElidedText(const QString& text, qsizetype maxLength);

// A file's path for a message: the system's separators, long ones cut in the middle.
QString ElidedPath(const QString& path);
