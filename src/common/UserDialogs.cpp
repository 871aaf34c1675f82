#include "common/UserDialogs.h"

#include <cstdio>

bool TQuietDialogs::MessageBox(TBoxKind kind, const QString& caption, const QString& text)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    return kind != TBoxKind::Question;
}

int TQuietDialogs::Choose(const QString& caption, const QString& text, const QStringList& buttons)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    return int(buttons.size()) - 1;
}
