#include "sync/VersionVector.h"

#include <QStringList>

TVersionVector TVersionVector::Parse(const QString& text)
{
    TVersionVector vector;
    for (const QString& entry : text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype at = entry.lastIndexOf(QLatin1Char('='));
        bool ok = false;
        const qint64 count = at > 0 ? entry.mid(at + 1).toLongLong(&ok) : 0;
        if (ok && count > 0)
            vector.FCounts[entry.left(at)] = count;
    }
    return vector;
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
