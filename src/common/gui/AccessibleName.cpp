#include "common/gui/AccessibleName.h"

#include <QRegularExpression>

QString WithoutMnemonic(const QString& caption)
{
    // A Chinese caption shows its key in brackets after the words: the brackets go with it.
    static const QRegularExpression bracketed(QStringLiteral("\\s*[(（]&[^&][)）]"));
    QString name = caption;
    name.remove(bracketed);
    QString plain;
    for (qsizetype i = 0; i < name.size(); ++i) {
        // "&&" stands for one ampersand.
        if (name.at(i) == QLatin1Char('&') && ++i == name.size())
            break;
        plain += name.at(i);
    }
    return plain;
}
