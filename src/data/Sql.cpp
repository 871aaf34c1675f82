#include "data/Sql.h"

#include "common/Errors.h"

#include <QCoreApplication>

namespace Sql {

TArg Number(qint64 value)
{
    return TArg(QString::number(value));
}

TArg Quoted(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\'')) {
            out += QLatin1String("''");
        } else if (c.unicode() == 0) {
            out += QLatin1String("'||char(0)||'");
        } else {
            out += c;
            // Close the literal between "@#" and "@" so the delimiter never stands in the
            // statement text, however the characters around it repeat.
            if (c == QLatin1Char('#') && i > 0 && text.at(i - 1) == QLatin1Char('@') && i + 1 < n &&
                text.at(i + 1) == QLatin1Char('@'))
                out += QLatin1String("'||'");
        }
    }
    return TArg(out);
}

QString WithoutPassword(const QString& statement)
{
    const QLatin1String opening("[PassWord]='");
    const qsizetype at = statement.indexOf(opening, 0, Qt::CaseInsensitive);
    if (at < 0)
        return statement;
    const qsizetype start = at + opening.size();
    const qsizetype end = statement.lastIndexOf(QLatin1Char('\''));
    if (end < start)
        return statement;
    QString masked = statement;
    return masked.replace(start, end - start, QStringLiteral("******"));
}

TArg Name(const QString& identifier)
{
    bool valid = !identifier.isEmpty() && !identifier.at(0).isDigit();
    for (const QChar c : identifier)
        valid = valid && c.unicode() < 128 && (c.isLetterOrNumber() || c == QLatin1Char('_'));
    if (!valid)
        throw ECardError(QCoreApplication::translate("Sql", "无效的表名：") + identifier);
    return TArg(identifier);
}

TArg Key(const QString& decimalText)
{
    bool ok = false;
    const qint64 value = decimalText.trimmed().toLongLong(&ok);
    if (!ok)
        throw ECardError(QCoreApplication::translate("Sql", "无效的编号：") + decimalText);
    return Number(value);
}

QString Format(const char16_t* sqlTemplate, std::initializer_list<TArg> args)
{
    const QString pattern = QString::fromUtf16(sqlTemplate);
    QString out;
    out.reserve(pattern.size() + 64);
    auto next = args.begin();
    qsizetype from = 0;
    for (;;) {
        const qsizetype at = pattern.indexOf(QLatin1String("%s"), from);
        if (at < 0 || next == args.end())
            break;
        out += QStringView(pattern).mid(from, at - from);
        out += next->Text();
        ++next;
        from = at + 2;
    }
    out += QStringView(pattern).mid(from);
    return out;
}

} // namespace Sql
