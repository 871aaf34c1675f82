#include "sync/LineMerge.h"

#include <QHash>
#include <QStringList>

#include <algorithm>
#include <vector>

namespace LineMerge {
namespace {

using TLines = std::vector<int>; // lines by number, equal lines equal numbers

// Which line of b each line of a is matched with (-1: none), an increasing matching.
class TMatcher final
{
public:
    TMatcher(const TLines& a, const TLines& b) : FA(a), FB(b), FMatch(a.size(), -1)
    {
        Match(0, int(a.size()), 0, int(b.size()));
    }
    const std::vector<int>& Result() const { return FMatch; }

private:
    // Stretches up to this many line pairs are matched exactly (longest common lines).
    static constexpr qint64 ExactCells = 4'000'000;

    void Match(int aLo, int aHi, int bLo, int bHi)
    {
        while (aLo < aHi && bLo < bHi && FA[size_t(aLo)] == FB[size_t(bLo)])
            FMatch[size_t(aLo++)] = bLo++;
        while (aLo < aHi && bLo < bHi && FA[size_t(aHi - 1)] == FB[size_t(bHi - 1)])
            FMatch[size_t(--aHi)] = --bHi;
        if (aLo == aHi || bLo == bHi)
            return;
        if (qint64(aHi - aLo) * (bHi - bLo) <= ExactCells)
            Exact(aLo, aHi, bLo, bHi);
        else
            Anchored(aLo, aHi, bLo, bHi);
    }

    void Exact(int aLo, int aHi, int bLo, int bHi)
    {
        const int n = aHi - aLo;
        const int m = bHi - bLo;
        // length[i][j]: common lines of a[i..] and b[j..]
        std::vector<int> length(size_t(n + 1) * size_t(m + 1), 0);
        const auto at = [m](int i, int j) {
            return size_t(i) * size_t(m + 1) + size_t(j);
        };
        for (int i = n - 1; i >= 0; --i)
            for (int j = m - 1; j >= 0; --j)
                length[at(i, j)] = FA[size_t(aLo + i)] == FB[size_t(bLo + j)]
                                       ? length[at(i + 1, j + 1)] + 1
                                       : std::max(length[at(i + 1, j)], length[at(i, j + 1)]);
        for (int i = 0, j = 0; i < n && j < m;) {
            if (FA[size_t(aLo + i)] == FB[size_t(bLo + j)]) {
                FMatch[size_t(aLo + i)] = bLo + j;
                ++i;
                ++j;
            } else if (length[at(i + 1, j)] >= length[at(i, j + 1)]) {
                ++i;
            } else {
                ++j;
            }
        }
    }

    // Large stretches: lines found once on each side anchor the matching (the longest run of
    // them in the same order), and the stretches between them are matched the same way.
    void Anchored(int aLo, int aHi, int bLo, int bHi)
    {
        QHash<int, std::pair<int, int>> seen; // line -> (count in a, position in a)
        QHash<int, std::pair<int, int>> seenB;
        for (int i = aLo; i < aHi; ++i) {
            auto& entry = seen[FA[size_t(i)]];
            ++entry.first;
            entry.second = i;
        }
        for (int j = bLo; j < bHi; ++j) {
            auto& entry = seenB[FB[size_t(j)]];
            ++entry.first;
            entry.second = j;
        }
        std::vector<std::pair<int, int>> unique; // (a, b) in a's order
        for (int i = aLo; i < aHi; ++i) {
            const auto inA = seen.value(FA[size_t(i)]);
            const auto inB = seenB.value(FA[size_t(i)]);
            if (inA.first == 1 && inB.first == 1)
                unique.emplace_back(i, inB.second);
        }
        if (unique.empty())
            return; // nothing in common worth the cost: the stretch counts as replaced
        // The longest increasing run of b positions (patience sorting).
        std::vector<int> tails;
        std::vector<int> tailIndex;
        std::vector<int> previous(unique.size(), -1);
        for (size_t k = 0; k < unique.size(); ++k) {
            const int b = unique[k].second;
            const auto pos =
                size_t(std::lower_bound(tails.begin(), tails.end(), b) - tails.begin());
            if (pos > 0)
                previous[k] = tailIndex[pos - 1];
            if (pos == tails.size()) {
                tails.push_back(b);
                tailIndex.push_back(int(k));
            } else {
                tails[pos] = b;
                tailIndex[pos] = int(k);
            }
        }
        std::vector<std::pair<int, int>> anchors;
        for (int k = tailIndex.back(); k >= 0; k = previous[size_t(k)])
            anchors.push_back(unique[size_t(k)]);
        std::reverse(anchors.begin(), anchors.end());
        int a = aLo;
        int b = bLo;
        for (const auto& [i, j] : anchors) {
            Match(a, i, b, j);
            FMatch[size_t(i)] = j;
            a = i + 1;
            b = j + 1;
        }
        Match(a, aHi, b, bHi);
    }

    const TLines& FA;
    const TLines& FB;
    std::vector<int> FMatch;
};

bool SameLines(const TLines& x, int xLo, int xHi, const TLines& y, int yLo, int yHi)
{
    return xHi - xLo == yHi - yLo && std::equal(x.begin() + xLo, x.begin() + xHi, y.begin() + yLo);
}

} // namespace

TResult Merge(const QString& base, const QString& ours, const QString& theirs, bool preferOurs)
{
    if (ours == theirs || theirs == base)
        return {ours, false};
    if (ours == base)
        return {theirs, false};
    QHash<QString, int> numbers;
    QStringList texts;
    const auto lines = [&](const QString& text) {
        TLines result;
        for (const QString& line : text.split(QLatin1Char('\n'))) {
            auto at = numbers.constFind(line);
            if (at == numbers.constEnd()) {
                at = numbers.insert(line, int(texts.size()));
                texts << line;
            }
            result.push_back(*at);
        }
        return result;
    };
    const TLines o = lines(base);
    const TLines a = lines(ours);
    const TLines b = lines(theirs);
    const std::vector<int> toA = TMatcher(o, a).Result();
    const std::vector<int> toB = TMatcher(o, b).Result();

    TResult result;
    TLines merged;
    const auto take = [&](const TLines& from, int lo, int hi) {
        merged.insert(merged.end(), from.begin() + lo, from.begin() + hi);
    };
    const int n = int(o.size());
    int i = 0;
    int ia = 0;
    int ib = 0;
    while (i < n || ia < int(a.size()) || ib < int(b.size())) {
        if (i < n && toA[size_t(i)] == ia && toB[size_t(i)] == ib) {
            merged.push_back(o[size_t(i)]);
            ++i;
            ++ia;
            ++ib;
            continue;
        }
        // The next base line both sides kept ends the stretch that changed.
        int j = i;
        while (j < n && (toA[size_t(j)] < 0 || toB[size_t(j)] < 0))
            ++j;
        const int ea = j < n ? toA[size_t(j)] : int(a.size());
        const int eb = j < n ? toB[size_t(j)] : int(b.size());
        if (SameLines(a, ia, ea, o, i, j))
            take(b, ib, eb);
        else if (SameLines(b, ib, eb, o, i, j) || SameLines(a, ia, ea, b, ib, eb))
            take(a, ia, ea);
        else {
            result.Clash = true;
            if (preferOurs)
                take(a, ia, ea);
            else
                take(b, ib, eb);
        }
        i = j;
        ia = ea;
        ib = eb;
    }
    QStringList out;
    out.reserve(qsizetype(merged.size()));
    for (const int line : merged)
        out << texts.at(line);
    result.Text = out.join(QLatin1Char('\n'));
    return result;
}

} // namespace LineMerge
