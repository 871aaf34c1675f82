#include "sync/VersionVector.h"

#include <QStringList>

namespace {
// Calls visit(key, count) for each "key=count" entry of text, in order; entries without a count
// above zero are passed over. Stops when visit returns false; returns whether it never did.
template <typename F> bool EachEntry(QStringView text, F&& visit)
{
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf(QLatin1Char(';'), from);
        if (end < 0)
            end = text.size();
        const QStringView entry = text.sliced(from, end - from);
        from = end + 1;
        const qsizetype at = entry.lastIndexOf(QLatin1Char('='));
        bool ok = false;
        const qint64 count = at > 0 ? entry.sliced(at + 1).toLongLong(&ok) : 0;
        if (ok && count > 0 && !visit(entry.first(at), count))
            return false;
    }
    return true;
}
} // namespace

TVersionVector TVersionVector::Parse(const QString& text)
{
    TVersionVector vector;
    EachEntry(text, [&vector](QStringView key, qint64 count) {
        vector.FCounts[key.toString()] = count;
        return true;
    });
    return vector;
}

bool TVersionVector::Is(QStringView text) const
{
    auto mine = FCounts.begin();
    // Parse keeps the last count of a key given twice: such a text is taken as another version.
    const bool alike = EachEntry(text, [this, &mine](QStringView key, qint64 count) {
        if (mine == FCounts.end() || mine->first != key || mine->second != count)
            return false;
        ++mine;
        return true;
    });
    return alike && mine == FCounts.end();
}

QString TVersionVector::Text() const
{
    QStringList entries;
    for (const auto& [key, count] : FCounts)
        entries << key + QLatin1Char('=') + QString::number(count);
    return entries.join(QLatin1Char(';'));
}

TVersionVector::TOrder TVersionVector::Compare(const TVersionVector& other) const
{
    bool more = false;
    bool less = false;
    for (const auto& [key, count] : FCounts) {
        const auto there = other.FCounts.find(key);
        const qint64 theirs = there == other.FCounts.end() ? 0 : there->second;
        more |= count > theirs;
        less |= count < theirs;
    }
    for (const auto& [key, count] : other.FCounts)
        less |= !FCounts.contains(key) && count > 0;
    if (more && less)
        return TOrder::Concurrent;
    if (more)
        return TOrder::After;
    return less ? TOrder::Before : TOrder::Equal;
}

bool TVersionVector::Covers(const TVersionVector& other) const
{
    const TOrder order = Compare(other);
    return order == TOrder::Equal || order == TOrder::After;
}

TVersionVector TVersionVector::Joined(const TVersionVector& other) const
{
    TVersionVector joined = *this;
    for (const auto& [key, count] : other.FCounts)
        joined.FCounts[key] = std::max(joined.FCounts[key], count);
    return joined;
}

void TVersionVector::Bump(const QString& device)
{
    ++FCounts[device];
}
