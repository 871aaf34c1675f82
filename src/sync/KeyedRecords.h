#pragma once

#include <QHash>

#include <algorithm>
#include <utility>
#include <vector>

// The sync records of one table by their rows' numbers, which are mostly small and dense (a
// group's SelfIndex, an address's ID): found by position where they are, by hashing where not.
// Of two records with one number the later one counts.
template <typename T> class TKeyedRecords final
{
public:
    void Add(qint64 key, T record)
    {
        FKeys.push_back(key);
        FRecords.push_back(std::move(record));
        FIndexed = false;
    }

    // Makes the records added so far findable.
    void Index();

    const T* Find(qint64 key) const
    {
        Q_ASSERT(FIndexed);
        qsizetype at = -1;
        if (!FDense.empty() || FSparse.isEmpty())
            at = key >= 0 && quint64(key) < FDense.size() ? FDense[size_t(key)] - 1 : -1;
        else
            at = FSparse.value(key, -1);
        return at < 0 ? nullptr : &FRecords[size_t(at)];
    }
    T* Find(qint64 key) { return const_cast<T*>(std::as_const(*this).Find(key)); }

    // Calls visit(key, record) for each number's record.
    qsizetype Size() const { return qsizetype(FRecords.size()); }

    template <typename F> void Each(F&& visit) const
    {
        for (size_t at = 0; at < FRecords.size(); ++at)
            if (Find(FKeys[at]) == &FRecords[at])
                visit(FKeys[at], FRecords[at]);
    }

private:
    std::vector<qint64> FKeys;
    std::vector<T> FRecords;
    std::vector<qint32> FDense; // position + 1 by number, 0 for none
    QHash<qint64, qsizetype> FSparse;
    bool FIndexed = true;
};

template <typename T> void TKeyedRecords<T>::Index()
{
    if (FIndexed)
        return;
    FIndexed = true;
    FDense.clear();
    FSparse.clear();
    qint64 low = 0;
    qint64 high = -1;
    for (const qint64 key : FKeys) {
        low = std::min(low, key);
        high = std::max(high, key);
    }
    if (low >= 0 && high < qint64(FKeys.size()) * 4 + 1024) {
        FDense.assign(size_t(high + 1), 0);
        for (size_t at = 0; at < FKeys.size(); ++at)
            FDense[size_t(FKeys[at])] = qint32(at + 1);
    } else {
        FSparse.reserve(qsizetype(FKeys.size()));
        for (size_t at = 0; at < FKeys.size(); ++at)
            FSparse.insert(FKeys[at], qsizetype(at));
    }
}
