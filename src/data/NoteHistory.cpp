#include "data/NoteHistory.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/Sqlite.h"

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

// One statement, its values bound in order and its rows read.
class TQuery
{
public:
    TQuery(sqlite3* connection, const char* sql) : FConnection(connection), FSql(sql)
    {
        sqlite3_stmt* raw = nullptr;
        if (sqlite3_prepare_v2(connection, sql, -1, &raw, nullptr) != SQLITE_OK) {
            sqlite3_finalize(raw);
            Fail();
        }
        FStatement.reset(raw);
    }
    TQuery& Bind(qint64 value)
    {
        sqlite3_bind_int64(FStatement.get(), ++FBound, value);
        return *this;
    }
    TQuery& Bind(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(FStatement.get(), ++FBound, utf8.constData(),
                            sqlite3_uint64(utf8.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
        return *this;
    }
    TQuery& BindBlob(const QByteArray& bytes)
    {
        sqlite3_bind_blob64(FStatement.get(), ++FBound, bytes.constData(),
                            sqlite3_uint64(bytes.size()), SQLITE_STATIC);
        return *this;
    }
    // The next row; false after the last (and for a statement without rows, once run).
    bool Next()
    {
        const int rc = sqlite3_step(FStatement.get());
        if (rc == SQLITE_ROW)
            return true;
        if (rc != SQLITE_DONE)
            Fail();
        return false;
    }
    void Run()
    {
        Next();
        sqlite3_reset(FStatement.get());
        sqlite3_clear_bindings(FStatement.get());
        FBound = 0;
    }
    qint64 Integer(int column) const { return sqlite3_column_int64(FStatement.get(), column); }
    QString Text(int column) const
    {
        return QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(FStatement.get(), column)),
            sqlite3_column_bytes(FStatement.get(), column));
    }
    QByteArray Blob(int column) const
    {
        const void* data = sqlite3_column_blob(FStatement.get(), column);
        return QByteArray(static_cast<const char*>(data),
                          sqlite3_column_bytes(FStatement.get(), column));
    }

private:
    [[noreturn]] void Fail() const
    {
        throw EDBException(EngineMessage(FConnection), QString::fromUtf8(DbHint::Query),
                           QString::fromUtf8(FSql));
    }

    sqlite3* FConnection;
    const char* FSql;
    TStatement FStatement;
    int FBound = 0;
};

qint64 Single(sqlite3* connection, const char* sql)
{
    TQuery query(connection, sql);
    return query.Next() ? query.Integer(0) : 0;
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
        TQuery newest(FConnection, NewestSql);
        newest.Bind(typeId);
        if (newest.Next() && newest.Integer(1) == text.size() &&
            qUncompress(newest.Blob(2)) == utf8)
            return false;
    }
    TQuery insert(FConnection, InsertSql);
    insert.Bind(typeId).Bind(FClock()).Bind(text.size()).Bind(FirstLine(text));
    const QByteArray packed = qCompress(utf8);
    insert.BindBlob(packed).Run();
    return true;
}

std::vector<TNoteHistory::TVersion> TNoteHistory::List(qint32 typeId) const
{
    std::vector<TVersion> versions;
    TQuery list(FConnection, ListSql);
    list.Bind(typeId);
    while (list.Next())
        versions.push_back({list.Integer(0), list.Integer(1), list.Integer(2), list.Text(3)});
    return versions;
}

QString TNoteHistory::Text(qint64 versionId) const
{
    TQuery text(FConnection, TextSql);
    text.Bind(versionId);
    return text.Next() ? QString::fromUtf8(qUncompress(text.Blob(0))) : QString();
}

bool TNoteHistory::HasVersion(qint32 typeId) const
{
    TQuery newest(FConnection, NewestSql);
    newest.Bind(typeId);
    return newest.Next();
}

void TNoteHistory::Thin(std::optional<qint32> typeId)
{
    const qint64 now = FClock();
    if (typeId) {
        ThinNote(*typeId, now);
    } else {
        TQuery(FConnection, OrphansSql).Run();
        std::vector<qint32> notes;
        TQuery all(FConnection, NotesSql);
        while (all.Next())
            notes.push_back(qint32(all.Integer(0)));
        for (const qint32 note : notes)
            ThinNote(note, now);
    }
    ThinToBudget();
}

void TNoteHistory::ThinNote(qint32 typeId, qint64 now)
{
    std::vector<qint64> doomed;
    {
        TQuery list(FConnection, ListSql);
        list.Bind(typeId);
        QSet<qint64> days;
        QSet<qint64> weeks;
        bool newest = true;
        while (list.Next()) {
            const qint64 saved = list.Integer(1);
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
                doomed.push_back(list.Integer(0));
        }
    }
    TQuery remove(FConnection, DeleteSql);
    for (const qint64 id : doomed)
        remove.Bind(id).Run();
}

void TNoteHistory::ThinToBudget()
{
    qint64 stored = StoredBytes();
    const qint64 budget = Budget();
    if (stored <= budget)
        return;
    std::vector<qint64> doomed;
    {
        TQuery oldest(FConnection, OldestSql);
        while (stored > budget && oldest.Next()) {
            doomed.push_back(oldest.Integer(0));
            stored -= oldest.Integer(1);
        }
    }
    TQuery remove(FConnection, DeleteSql);
    for (const qint64 id : doomed)
        remove.Bind(id).Run();
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
