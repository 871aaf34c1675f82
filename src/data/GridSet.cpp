#include "data/GridSet.h"

#include "common/Errors.h"

#include <QCollator>
#include <QCoreApplication>
#include <QRegularExpression>

#include <algorithm>
#include <numeric>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

// Keeps the set's own notifications quiet while it changes its rows in several steps.
class TQuiet final
{
public:
    explicit TQuiet(int& depth) : FDepth(depth) { ++FDepth; }
    ~TQuiet() { --FDepth; }
    TQuiet(const TQuiet&) = delete;
    TQuiet& operator=(const TQuiet&) = delete;

private:
    int& FDepth;
};

// Texts sort as the user's locale sorts them. A locale without a collation of its own (C,
// POSIX) would order Chinese by code point, which is no order a reader knows: Chinese titles
// then sort by pinyin, and Latin letters without regard to case, as a Chinese desktop does.
QCollator TextCollator()
{
    const QLocale locale;
    if (locale.language() != QLocale::C)
        return QCollator(locale);
    QCollator chinese(QLocale(QLocale::Chinese, QLocale::China));
    chinese.setCaseSensitivity(Qt::CaseInsensitive);
    return chinese;
}

// One field value prepared for comparing: NULLs, then numbers, then texts, then anything else.
struct TSortKey
{
    enum TKind
    {
        Null,
        Number,
        Text,
        Other
    };
    TKind Kind = Null;
    bool IsReal = false;
    qint64 Integer = 0;
    double Real = 0;
    int TextKey = -1; // index into the collation keys
    int Row = 0;      // where a value of another kind is read from
};

template <typename T> int ThreeWay(const T& a, const T& b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

} // namespace

void TGridSet::SetListener(std::unique_ptr<TListener> listener)
{
    FListener = std::move(listener);
}

void TGridSet::RowsAboutToChange()
{
    FRankedField = -1;
    FRanks.clear();
    if (FQuiet == 0 && FListener)
        FListener->GridSetAboutToChange();
}

void TGridSet::RowsChanged()
{
    if (FQuiet != 0)
        return;
    // Opened or closed from outside: a new result, unsorted.
    FSort.clear();
    FLastStatement = Active() ? Statement() : QString();
    if (FListener)
        FListener->GridSetChanged(true);
}

void TGridSet::CurrentRowMoved()
{
    if (FQuiet == 0 && FListener)
        FListener->GridSetCurrentMoved();
}

QString TGridSet::Requery(sqlite3* connection)
{
    if (FListener)
        FListener->GridSetAboutToChange();
    QString error;
    {
        TQuiet quiet(FQuiet);
        error = Open(connection, FLastStatement, false);
        if (error.isEmpty() && !FSort.isEmpty()) {
            const TSortOrder order = ParseSort(FSort);
            if (FindField(order.Field) >= 0)
                ApplySort(order, false);
            else
                FSort.clear();
        }
    }
    if (FListener)
        FListener->GridSetChanged(false);
    return error;
}

TGridSet::TSortOrder TGridSet::ParseSort(const QString& sort)
{
    static const QRegularExpression direction(QStringLiteral("^(.*\\S)\\s+(ASC|DESC)$"),
                                              QRegularExpression::CaseInsensitiveOption |
                                                  QRegularExpression::DotMatchesEverythingOption);
    TSortOrder order;
    const QString text = sort.trimmed();
    const QRegularExpressionMatch match = direction.match(text);
    if (match.hasMatch()) {
        order.Field = match.captured(1);
        order.Descending =
            match.captured(2).compare(QLatin1String("DESC"), Qt::CaseInsensitive) == 0;
    } else {
        order.Field = text;
    }
    if (order.Field.size() >= 2 && order.Field.startsWith(QLatin1Char('[')) &&
        order.Field.endsWith(QLatin1Char(']')))
        order.Field = order.Field.mid(1, order.Field.size() - 2);
    return order;
}

void TGridSet::SetSort(const QString& sort)
{
    if (!Active())
        throw ECardError(QCoreApplication::translate("GridSet", "数据集没有打开，不能排序"));
    const TSortOrder order = ParseSort(sort);
    if (!order.Field.isEmpty() && FindField(order.Field) < 0)
        throw ECardError(QCoreApplication::translate("GridSet", "找不到字段：") + order.Field);

    if (FListener)
        FListener->GridSetAboutToChange();
    {
        TQuiet quiet(FQuiet);
        FSort = sort;
        ApplySort(order, true);
    }
    if (FListener)
        FListener->GridSetChanged(false);
}

const std::vector<int>& TGridSet::RanksOf(int field)
{
    const QCollator collator = TextCollator();
    const QString locale =
        collator.locale().name() + QString::number(int(collator.caseSensitivity()));
    if (field == FRankedField && locale == FRankedLocale)
        return FRanks;

    const int count = RecordCount();
    FRanks.assign(static_cast<size_t>(count), 0);
    {
        // Collation keys are computed once per row: comparing them is far cheaper than collating
        // the texts at every comparison.
        std::vector<TSortKey> keys(static_cast<size_t>(count));
        std::vector<QCollatorSortKey> textKeys;
        for (int row = 0; row < count; ++row) {
            const QVariant value = Value(row, field);
            TSortKey& key = keys[size_t(FetchedRow(row))];
            switch (value.typeId()) {
            case QMetaType::UnknownType:
                break;
            case QMetaType::LongLong:
                key.Kind = TSortKey::Number;
                key.Integer = value.toLongLong();
                break;
            case QMetaType::Double:
                key.Kind = TSortKey::Number;
                key.IsReal = true;
                key.Real = value.toDouble();
                break;
            case QMetaType::QString:
                key.Kind = TSortKey::Text;
                key.TextKey = int(textKeys.size());
                textKeys.push_back(collator.sortKey(value.toString()));
                break;
            default:
                key.Kind = TSortKey::Other;
                key.Row = row;
            }
        }
        const auto compare = [&](int a, int b) {
            const TSortKey& x = keys[size_t(a)];
            const TSortKey& y = keys[size_t(b)];
            if (x.Kind != y.Kind)
                return ThreeWay(x.Kind, y.Kind);
            switch (x.Kind) {
            case TSortKey::Number:
                if (!x.IsReal && !y.IsReal)
                    return ThreeWay(x.Integer, y.Integer);
                return ThreeWay(x.IsReal ? x.Real : double(x.Integer),
                                y.IsReal ? y.Real : double(y.Integer));
            case TSortKey::Text:
                return textKeys[size_t(x.TextKey)].compare(textKeys[size_t(y.TextKey)]);
            case TSortKey::Other:
                return ThreeWay(Value(x.Row, field).toByteArray(),
                                Value(y.Row, field).toByteArray());
            default:
                return 0;
            }
        };
        std::vector<int> fetched(static_cast<size_t>(count));
        std::iota(fetched.begin(), fetched.end(), 0);
        std::sort(fetched.begin(), fetched.end(), [&](int a, int b) { return compare(a, b) < 0; });
        for (size_t i = 1; i < fetched.size(); ++i)
            FRanks[size_t(fetched[i])] =
                FRanks[size_t(fetched[i - 1])] + (compare(fetched[i - 1], fetched[i]) != 0 ? 1 : 0);
    }
    FRankedField = field;
    FRankedLocale = locale;
#ifdef __GLIBC__
    // The collation keys of a large sort are gone; the allocator keeps their pages unless asked.
    if (count > 10000)
        malloc_trim(0);
#endif
    return FRanks;
}

void TGridSet::ApplySort(const TSortOrder& order, bool keepCurrent)
{
    const int count = RecordCount();
    std::vector<int> rows(static_cast<size_t>(count));
    const int field = order.Field.isEmpty() ? -1 : FindField(order.Field);
    if (field < 0) {
        std::iota(rows.begin(), rows.end(), 0);
        std::sort(rows.begin(), rows.end(),
                  [this](int a, int b) { return FetchedRow(a) < FetchedRow(b); });
    } else {
        // Rows by rank, the ranks in the order asked for, equal values in the fetched order in
        // both directions: a stable counting pass over the rows in fetched order.
        const std::vector<int>& ranks = RanksOf(field);
        const int highest = ranks.empty() ? 0 : *std::max_element(ranks.begin(), ranks.end());
        std::vector<int> first(static_cast<size_t>(highest) + 2, 0);
        const auto slot = [&](int rank) {
            return size_t(order.Descending ? highest - rank : rank) + 1;
        };
        for (const int rank : ranks)
            ++first[slot(rank)];
        std::partial_sum(first.begin(), first.end(), first.begin());
        std::vector<int> currentOf(static_cast<size_t>(count));
        for (int row = 0; row < count; ++row)
            currentOf[size_t(FetchedRow(row))] = row;
        for (int fetchedRow = 0; fetchedRow < count; ++fetchedRow)
            rows[size_t(first[slot(ranks[size_t(fetchedRow)]) - 1]++)] =
                currentOf[size_t(fetchedRow)];
    }

    const int current = CurrentRow();
    ReorderRows(rows);
    int newCurrent = 0;
    if (keepCurrent && current < count)
        newCurrent = int(std::find(rows.begin(), rows.end(), current) - rows.begin());
    SetCurrentRow(newCurrent);
}
