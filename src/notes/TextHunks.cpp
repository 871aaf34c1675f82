#include "notes/TextHunks.h"

#include <QStringView>

#include <algorithm>

namespace {

// Where each line of the text starts, every line ended by a line feed (the last one by one
// thought after the text), and one past that as the last entry.
std::vector<qsizetype> LineStarts(const QString& text)
{
    std::vector<qsizetype> starts{0};
    for (qsizetype at = text.indexOf(QLatin1Char('\n')); at >= 0;
         at = text.indexOf(QLatin1Char('\n'), at + 1))
        starts.push_back(at + 1);
    starts.push_back(text.size() + 1);
    return starts;
}

QStringView Line(const QString& text, const std::vector<qsizetype>& starts, size_t line)
{
    return QStringView(text).mid(starts[line], starts[line + 1] - starts[line] - 1);
}

} // namespace

std::vector<TTextHunk> LineHunks(const QString& from, const QString& to)
{
    if (from == to)
        return {};
    const std::vector<qsizetype> a = LineStarts(from);
    const std::vector<qsizetype> b = LineStarts(to);
    const size_t aLines = a.size() - 1;
    const size_t bLines = b.size() - 1;
    size_t lo = 0;
    while (lo < aLines && lo < bLines && Line(from, a, lo) == Line(to, b, lo))
        ++lo;
    size_t aHi = aLines;
    size_t bHi = bLines;
    while (aHi > lo && bHi > lo && Line(from, a, aHi - 1) == Line(to, b, bHi - 1)) {
        --aHi;
        --bHi;
    }
    const QString toEnded = to + QLatin1Char('\n');
    // Lines aLo up to aEnd of the first text become lines bLo up to bEnd of the other, each
    // with its line feed.
    const auto hunk = [&](size_t aLo, size_t aEnd, size_t bLo, size_t bEnd) {
        TTextHunk h{a[aLo], a[aEnd] - a[aLo], toEnded.mid(b[bLo], b[bEnd] - b[bLo])};
        // The line feed thought after the text is not there: a stretch that reaches it takes
        // the one before it instead.
        if (h.At + h.Length == from.size() + 1) {
            if (!h.Text.isEmpty())
                h.Text.chop(1);
            if (h.At > 0) {
                h.At -= 1;
                if (!h.Text.isEmpty() || bLo < bEnd)
                    h.Text.prepend(QLatin1Char('\n'));
            } else
                h.Length -= 1;
        }
        return h;
    };
    const size_t n = aHi - lo;
    const size_t m = bHi - lo;
    // The lines both keep in the middle are found exactly while the stretch is small; a large
    // one is one hunk.
    constexpr size_t MaxCells = 4'000'000;
    if (n == 0 || m == 0 || n * m > MaxCells)
        return {hunk(lo, aHi, lo, bHi)};
    std::vector<unsigned> table((n + 1) * (m + 1), 0);
    const auto cell = [&](size_t i, size_t j) -> unsigned& {
        return table[i * (m + 1) + j];
    };
    for (size_t i = n; i-- > 0;)
        for (size_t j = m; j-- > 0;)
            cell(i, j) = Line(from, a, lo + i) == Line(to, b, lo + j)
                             ? cell(i + 1, j + 1) + 1
                             : std::max(cell(i + 1, j), cell(i, j + 1));
    std::vector<TTextHunk> hunks;
    size_t i = 0;
    size_t j = 0;
    size_t startI = 0;
    size_t startJ = 0;
    const auto close = [&] {
        if (i > startI || j > startJ)
            hunks.push_back(hunk(lo + startI, lo + i, lo + startJ, lo + j));
    };
    while (i < n || j < m) {
        if (i < n && j < m && Line(from, a, lo + i) == Line(to, b, lo + j)) {
            close();
            startI = ++i;
            startJ = ++j;
        } else if (j < m && (i == n || cell(i, j + 1) >= cell(i + 1, j)))
            ++j;
        else
            ++i;
    }
    close();
    return hunks;
}

namespace {

// The stretch of lines in which a text differs from the base, as base lines [BaseLo, BaseHi)
// becoming the text's lines [Lo, Hi).
struct TStretch
{
    size_t BaseLo = 0;
    size_t BaseHi = 0;
    size_t Lo = 0;
    size_t Hi = 0;
};

TStretch StretchOf(const QString& base, const std::vector<qsizetype>& b, const QString& text,
                   const std::vector<qsizetype>& t)
{
    const size_t baseLines = b.size() - 1;
    const size_t lines = t.size() - 1;
    TStretch s;
    while (s.BaseLo < baseLines && s.BaseLo < lines &&
           Line(base, b, s.BaseLo) == Line(text, t, s.BaseLo))
        ++s.BaseLo;
    s.Lo = s.BaseLo;
    s.BaseHi = baseLines;
    s.Hi = lines;
    while (s.BaseHi > s.BaseLo && s.Hi > s.Lo &&
           Line(base, b, s.BaseHi - 1) == Line(text, t, s.Hi - 1)) {
        --s.BaseHi;
        --s.Hi;
    }
    return s;
}

// Lines [lo, hi) of a text, each with its line feed.
QStringView Lines(const QString& text, const std::vector<qsizetype>& starts, size_t lo, size_t hi)
{
    return QStringView(text).mid(starts[lo], starts[hi] - starts[lo]);
}

} // namespace

std::optional<QString> MergeApart(const QString& base, const QString& ours, const QString& theirs)
{
    // Every line is ended by a line feed here, the last one by one thought after the text.
    const QString baseEnded = base + QLatin1Char('\n');
    const QString oursEnded = ours + QLatin1Char('\n');
    const QString theirsEnded = theirs + QLatin1Char('\n');
    const std::vector<qsizetype> b = LineStarts(base);
    const std::vector<qsizetype> o = LineStarts(ours);
    const std::vector<qsizetype> t = LineStarts(theirs);
    const TStretch mine = StretchOf(base, b, ours, o);
    const TStretch other = StretchOf(base, b, theirs, t);
    const bool oursChanged = mine.BaseLo < mine.BaseHi || mine.Lo < mine.Hi;
    const bool theirsChanged = other.BaseLo < other.BaseHi || other.Lo < other.Hi;
    if (!theirsChanged)
        return ours;
    if (!oursChanged)
        return theirs;
    const bool oursFirst = mine.BaseHi < other.BaseLo;
    if (!oursFirst && !(other.BaseHi < mine.BaseLo))
        return std::nullopt;
    const TStretch& first = oursFirst ? mine : other;
    const TStretch& second = oursFirst ? other : mine;
    const QString& firstText = oursFirst ? oursEnded : theirsEnded;
    const QString& secondText = oursFirst ? theirsEnded : oursEnded;
    const std::vector<qsizetype>& firstStarts = oursFirst ? o : t;
    const std::vector<qsizetype>& secondStarts = oursFirst ? t : o;
    QString merged;
    merged.reserve(std::max(ours.size(), theirs.size()) + 64);
    merged += Lines(baseEnded, b, 0, first.BaseLo);
    merged += Lines(firstText, firstStarts, first.Lo, first.Hi);
    merged += Lines(baseEnded, b, first.BaseHi, second.BaseLo);
    merged += Lines(secondText, secondStarts, second.Lo, second.Hi);
    merged += Lines(baseEnded, b, second.BaseHi, b.size() - 1);
    merged.chop(1);
    return merged;
}
