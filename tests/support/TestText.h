#pragma once

#include "data/RecycleBin.h"

#include <QStringList>

#include <initializer_list>

// A list of UTF-8 literals, for comparing with what the program shows.
inline QStringList Texts(std::initializer_list<const char*> texts)
{
    QStringList list;
    for (const char* text : texts)
        list << QString::fromUtf8(text);
    return list;
}

// The line a delete question ends with, the recycle bin's promise.
inline QString Bin()
{
    return QLatin1Char('\n') + TRecycleBin::DeletionNote();
}
