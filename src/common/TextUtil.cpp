#include "common/TextUtil.h"

#include <QDir>

QString TrimBlanks(const QString& text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first).unicode() <= 32)
        ++first;
    while (last > first && text.at(last - 1).unicode() <= 32)
        --last;
    return text.mid(first, last - first);
}

QString ElidedText(const QString& text, qsizetype maxLength)
{
    if (text.size() <= maxLength || maxLength < 3)
        return text;
    qsizetype head = (maxLength - 1) / 2;
    qsizetype tail = maxLength - 1 - head;
    // A character outside the basic plane is never cut in two.
    if (text.at(head - 1).isHighSurrogate())
        --head;
    if (text.at(text.size() - tail).isLowSurrogate())
        --tail;
    return text.left(head) + QChar(0x2026) + text.right(tail);
}

QString ElidedPath(const QString& path)
{
    constexpr qsizetype MaxPathLength = 80;
    return ElidedText(QDir::toNativeSeparators(path), MaxPathLength);
}
