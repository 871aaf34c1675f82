#include "data/NoteHistory.h"

#include "common/Errors.h"
#include "data/BoundStatement.h"
#include "data/DbAccess.h"

#include <QDateTime>
#include <QSet>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr qint64 MonthMs = 30 * TNoteHistory::DayMs;
constexpr qint64 YearMs = 365 * TNoteHistory::DayMs;
constexpr qsizetype FirstLineLength = 100;

constexpr char NewestSql[] =
    "select VersionId, Length, Content from NoteHistory where TypeID=? and BinItem is null "
    "order by Saved desc, VersionId desc limit 1";
constexpr char InsertSql[] = "insert into NoteHistory(TypeID, Saved, Length, FirstLine, Content) "
                             "values(?, ?, ?, ?, ?)";
constexpr char ListSql[] = "select VersionId, Saved, Length, FirstLine from NoteHistory where "
                           "TypeID=? and BinItem is null order by Saved desc, VersionId desc";
constexpr char TextSql[] = "select Content from NoteHistory where VersionId=?";
constexpr char NotesSql[] = "select distinct TypeID from NoteHistory where BinItem is null";
constexpr char DeleteSql[] = "delete from NoteHistory where VersionId=?";
// A group deleted for good leaves no note whose versions these would be; a new group that took
// its number must not show them.
constexpr char OrphansSql[] = "delete from NoteHistory where BinItem is null and TypeID<>0 and "
                              "TypeID not in (select SelfIndex from NoteType)";
constexpr char StoredSql[] =
    "select coalesce(sum(length(Content)), 0) from NoteHistory where BinItem is null";
// Oldest first, each note's newest left out.
constexpr char OldestSql[] =
    "select VersionId, length(Content) from NoteHistory h where BinItem is null and VersionId <> "
    "(select n.VersionId from NoteHistory n where n.TypeID=h.TypeID and n.BinItem is null "
    "order by n.Saved desc, n.VersionId desc limit 1) order by Saved, VersionId";

TBoundStatement Query(sqlite3* connection, const char* sql)
{
    return TBoundStatement(connection, QString::fromUtf8(sql), DbHint::Query);
}

qint64 Single(sqlite3* connection, const char* sql)
{
    TBoundStatement query = Query(connection, sql);
    return query.Next() ? query.Number(0) : 0;
}

qint64 WallClock()
{
    return QDateTime::currentMSecsSinceEpoch();
}

// The local calendar day of a moment, as a day number.
qint64 LocalDay(qint64 ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms).date().toJulianDay();
}

} // namespace

TNoteHistory::TNoteHistory(sqlite3* connection, TClock clock)
    : FConnection(connection), FClock(clock ? std::move(clock) : TClock(&WallClock))
{}

bool TNoteHistory::Keep(qint32 typeId, const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    {
        TBoundStatement newest = Query(FConnection, NewestSql);
        newest.Bind(1, typeId);
        if (newest.Next() && newest.Number(1) == text.size() && qUncompress(newest.Blob(2)) == utf8)
            return false;
    }
    TBoundStatement insert = Query(FConnection, InsertSql);
    insert.Bind(1, typeId).Bind(2, FClock()).Bind(3, qint64(text.size())).Bind(4, FirstLine(text));
    insert.BindBlob(5, qCompress(utf8)).Run();
    return true;
}

std::vector<TNoteHistory::TVersion> TNoteHistory::List(qint32 typeId) const
{
    std::vector<TVersion> versions;
    TBoundStatement list = Query(FConnection, ListSql);
    list.Bind(1, typeId);
    while (list.Next())
        versions.push_back({list.Number(0), list.Number(1), list.Number(2), list.Text(3)});
    return versions;
}

QString TNoteHistory::Text(qint64 versionId) const
{
    TBoundStatement text = Query(FConnection, TextSql);
    text.Bind(1, versionId);
    return text.Next() ? QString::fromUtf8(qUncompress(text.Blob(0))) : QString();
}

void TNoteHistory::Thin(std::optional<qint32> typeId)
{
    const qint64 now = FClock();
    if (typeId) {
        ThinNote(*typeId, now);
    } else {
        Query(FConnection, OrphansSql).Run();
        std::vector<qint32> notes;
        TBoundStatement all = Query(FConnection, NotesSql);
        while (all.Next())
            notes.push_back(qint32(all.Number(0)));
        for (const qint32 note : notes)
            ThinNote(note, now);
    }
    ThinToBudget();
}

void TNoteHistory::ThinNote(qint32 typeId, qint64 now)
{
    std::vector<qint64> doomed;
    {
        TBoundStatement list = Query(FConnection, ListSql);
        list.Bind(1, typeId);
        QSet<qint64> days;
        QSet<qint64> weeks;
        bool newest = true;
        while (list.Next()) {
            const qint64 saved = list.Number(1);
            const qint64 age = now - saved;
            bool keep = std::exchange(newest, false) || age <= DayMs;
            // The newest of a day (week) comes first; the later ones of it are older.
            if (!keep && age <= MonthMs) {
                const qint64 day = LocalDay(saved);
                keep = !days.contains(day);
                days.insert(day);
            } else if (!keep && age <= YearMs) {
                const qint64 week = LocalDay(saved) / 7;
                keep = !weeks.contains(week);
                weeks.insert(week);
            }
            if (!keep)
                doomed.push_back(list.Number(0));
        }
    }
    TBoundStatement remove = Query(FConnection, DeleteSql);
    for (const qint64 id : doomed)
        remove.Bind(1, id).Run();
}

void TNoteHistory::ThinToBudget()
{
    qint64 stored = StoredBytes();
    const qint64 budget = Budget();
    if (stored <= budget)
        return;
    std::vector<qint64> doomed;
    {
        TBoundStatement oldest = Query(FConnection, OldestSql);
        while (stored > budget && oldest.Next()) {
            doomed.push_back(oldest.Number(0));
            stored -= oldest.Number(1);
        }
    }
    TBoundStatement remove = Query(FConnection, DeleteSql);
    for (const qint64 id : doomed)
        remove.Bind(1, id).Run();
}

qint64 TNoteHistory::StoredBytes() const
{
    return Single(FConnection, StoredSql);
}

qint64 TNoteHistory::Budget() const
{
    const qint64 file =
        Single(FConnection, "PRAGMA page_count") * Single(FConnection, "PRAGMA page_size");
    return std::max(file / 5, BudgetFloor);
}

bool TNoteHistory::RemovesHalf(const QByteArray& before, const QByteArray& after)
{
    // The usual save adds or takes a few characters to a note of any size: the comparison goes
    // a block at a time.
    if (after.size() * 2 < before.size())
        return true;
    constexpr qsizetype Block = 256;
    const qsizetype shorter = std::min(before.size(), after.size());
    const char* const a = before.constData();
    const char* const b = after.constData();
    qsizetype head = 0;
    while (head + Block <= shorter && std::memcmp(a + head, b + head, Block) == 0)
        head += Block;
    while (head < shorter && a[head] == b[head])
        ++head;
    // Whatever came in its place, what is left of before is what both begin and end with.
    const char* const aEnd = a + before.size();
    const char* const bEnd = b + after.size();
    qsizetype tail = 0;
    while (tail + Block <= shorter - head &&
           std::memcmp(aEnd - tail - Block, bEnd - tail - Block, Block) == 0)
        tail += Block;
    while (tail < shorter - head && aEnd[-1 - tail] == bEnd[-1 - tail])
        ++tail;
    return (before.size() - head - tail) * 2 > before.size();
}

QString TNoteHistory::FirstLine(const QString& text)
{
    for (qsizetype from = 0; from <= text.size();) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        const QString line = text.mid(from, end - from).trimmed();
        if (!line.isEmpty())
            return line.left(FirstLineLength);
        from = end + 1;
    }
    return QString();
}

void TNoteHistory::InTransaction(sqlite3* connection, const std::function<void()>& work)
{
    const auto run = [connection](const char* sql) {
        if (sqlite3_exec(connection, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw EDBException(EngineMessage(connection), QString::fromUtf8(DbHint::Batch),
                               QString::fromUtf8(sql));
    };
    run("begin immediate");
    try {
        work();
        run("commit");
    } catch (...) {
        sqlite3_exec(connection, "rollback", nullptr, nullptr, nullptr);
        throw;
    }
}
