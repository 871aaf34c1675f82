#include "data/WriteWatch.h"

#include "data/Sqlite.h"

#include <QDir>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

#include <map>
#include <memory>
#include <mutex>
#include <optional>

namespace WriteWatch {
namespace {

// The rows the program's connections wrote to one file since the last look. Connections on
// several threads add to it; a look takes it all.
class TFileWrites final
{
public:
    void Add(std::size_t table, qint64 key)
    {
        const std::lock_guard lock(FMutex);
        if (!FWritten.Everything && FWritten.Keys[table].insert(key).second && ++FCount > MostKeys)
            GiveUp();
    }

    // From now on only a look at every row tells what changed.
    void Lose()
    {
        const std::lock_guard lock(FMutex);
        GiveUp();
    }

    // A connection writes the file without recording it: every look reads everything.
    void Unwatched()
    {
        const std::lock_guard lock(FMutex);
        FUnwatched = true;
        GiveUp();
    }

    // One of the program's connections to the file committed.
    void Committed()
    {
        const std::lock_guard lock(FMutex);
        ++FCommits;
    }
    // How many commits of the program's connections have been seen, ever.
    qint64 Commits()
    {
        const std::lock_guard lock(FMutex);
        return FCommits;
    }

    TWritten Take()
    {
        const std::lock_guard lock(FMutex);
        TWritten taken = std::exchange(FWritten, TWritten{false, {}});
        taken.Everything |= FUnwatched;
        FCount = 0;
        return taken;
    }

    void GiveBack(const TWritten& written)
    {
        const std::lock_guard lock(FMutex);
        if (written.Everything) {
            GiveUp();
            return;
        }
        for (std::size_t table = 0; table < Tables.size() && !FWritten.Everything; ++table)
            for (const qint64 key : written.Keys[table])
                if (FWritten.Keys[table].insert(key).second && ++FCount > MostKeys) {
                    GiveUp();
                    break;
                }
    }

private:
    void GiveUp()
    {
        FWritten = TWritten{};
        FCount = 0;
    }

    std::mutex FMutex;
    TWritten FWritten; // everything at first: nothing is known of the writes before
    std::size_t FCount = 0;
    bool FUnwatched = false;
    qint64 FCommits = 0;
};

// One connection's watch. Apart from the file's writes it is used on the connection's thread
// only: by its triggers, its commit and rollback hooks and the looks through it.
struct TConnectionWatch
{
    sqlite3* Connection = nullptr;
    std::shared_ptr<TFileWrites> File;
    qint64 SeenVersion = -1;       // the file's data version at the last look; -1 before the first
    qint64 LastEverything = 0;     // when the last look at every row was
    std::optional<TWritten> Taken; // by a look whose transaction has not ended
    bool Committed = false;        // that transaction committed
    // The commits of the file's watched connections, and of this one, at the last look.
    qint64 SeenCommits = 0;
    qint64 SeenOwnCommits = 0;
    qint64 OwnCommits = 0;
};

std::mutex RegistryMutex;
std::map<QString, std::weak_ptr<TFileWrites>> Files;
std::map<sqlite3*, TConnectionWatch*> Watches;

constexpr char FunctionName[] = "velmora_row_written";

void RowWritten(sqlite3_context* context, int, sqlite3_value** values)
{
    auto* watch = static_cast<TConnectionWatch*>(sqlite3_user_data(context));
    const int table = sqlite3_value_int(values[0]);
    // A number the scan could not look up by (a text, nothing) leaves only a look at every row.
    if (table < 0 || std::size_t(table) >= Tables.size() ||
        sqlite3_value_type(values[1]) != SQLITE_INTEGER)
        watch->File->Lose();
    else
        watch->File->Add(std::size_t(table), sqlite3_value_int64(values[1]));
}

int Committing(void* data)
{
    auto* watch = static_cast<TConnectionWatch*>(data);
    watch->Committed = true;
    ++watch->OwnCommits;
    watch->File->Committed();
    return 0;
}

// Also after a commit that failed: what a look took goes back, to be looked at again.
void RolledBack(void* data)
{
    auto* watch = static_cast<TConnectionWatch*>(data);
    if (watch->Taken)
        watch->File->GiveBack(*watch->Taken);
    watch->Taken.reset();
    watch->Committed = false;
}

// The connection closes.
void Forget(void* data)
{
    auto* watch = static_cast<TConnectionWatch*>(data);
    if (watch->Taken && !watch->Committed)
        watch->File->GiveBack(*watch->Taken);
    {
        const std::lock_guard lock(RegistryMutex);
        if (const auto at = Watches.find(watch->Connection);
            at != Watches.end() && at->second == watch)
            Watches.erase(at);
    }
    delete watch;
}

QByteArray TriggerStatements()
{
    QByteArray sql;
    for (std::size_t index = 0; index < Tables.size(); ++index) {
        const QByteArray table = Tables[index].Name;
        const QByteArray key = Tables[index].KeyColumn;
        const QByteArray call = QByteArray(FunctionName) + '(' + QByteArray::number(index) + ", ";
        const auto trigger = [&](const char* event, const QByteArray& calls) {
            sql += "create temp trigger velmora_written_" + table + '_' + event + " after " +
                   event + " on main." + table + " begin select " + calls + "; end;";
        };
        trigger("insert", call + "new." + key + ')');
        trigger("update", call + "old." + key + "), " + call + "new." + key + ')');
        trigger("delete", call + "old." + key + ')');
    }
    return sql;
}

} // namespace

const std::set<qint64>* TWritten::KeysOf(const QString& table) const
{
    for (std::size_t index = 0; index < Tables.size(); ++index)
        if (table == QLatin1String(Tables[index].Name))
            return &Keys[index];
    return nullptr;
}

void Install(sqlite3* connection, const QString& path)
{
    const QString file = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    std::shared_ptr<TFileWrites> writes;
    {
        const std::lock_guard lock(RegistryMutex);
        std::erase_if(Files, [](const auto& entry) { return entry.second.expired(); });
        std::weak_ptr<TFileWrites>& entry = Files[file];
        writes = entry.lock();
        if (!writes) {
            writes = std::make_shared<TFileWrites>();
            entry = writes;
        }
    }
    auto* watch = new TConnectionWatch;
    watch->Connection = connection;
    watch->File = writes;
    // On failure the engine has already called Forget, which deleted the watch.
    if (sqlite3_create_function_v2(connection, FunctionName, 2, SQLITE_UTF8, watch, RowWritten,
                                   nullptr, nullptr, Forget) != SQLITE_OK) {
        writes->Unwatched();
        return;
    }
    {
        const std::lock_guard lock(RegistryMutex);
        Watches[connection] = watch;
    }
    sqlite3_commit_hook(connection, Committing, watch);
    sqlite3_rollback_hook(connection, RolledBack, watch);
    if (sqlite3_exec(connection, TriggerStatements().constData(), nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        writes->Unwatched();
}

TWritten Take(sqlite3* connection, qint64 now)
{
    TConnectionWatch* watch = nullptr;
    {
        const std::lock_guard lock(RegistryMutex);
        if (const auto at = Watches.find(connection); at != Watches.end())
            watch = at->second;
    }
    if (!watch)
        return {};
    // The look before ended in a commit: what it took is done with.
    if (watch->Committed) {
        watch->Taken.reset();
        watch->Committed = false;
    }
    const qint64 version = DatabaseFile::DataVersion(connection);
    TWritten written = watch->File->Take();
    bool recorded = false;
    for (const std::set<qint64>& keys : written.Keys)
        recorded |= !keys.empty();
    // The file changed under another connection with nothing recorded and none of the program's
    // other connections committing (their writes to its own side tables, such as a note's
    // history, record no rows): a program that does not record its writes changed it.
    const qint64 commits = watch->File->Commits();
    const bool othersCommitted =
        commits - watch->SeenCommits > watch->OwnCommits - watch->SeenOwnCommits;
    watch->SeenCommits = commits;
    watch->SeenOwnCommits = watch->OwnCommits;
    const bool unrecorded = version != watch->SeenVersion && !recorded && !othersCommitted;
    if (watch->SeenVersion < 0 || version < 0 || unrecorded || now < watch->LastEverything ||
        now - watch->LastEverything >= EverythingEveryMs)
        written = TWritten{};
    if (written.Everything)
        watch->LastEverything = now;
    watch->SeenVersion = version;
    if (!watch->Taken || written.Everything)
        watch->Taken = written;
    else if (!watch->Taken->Everything)
        for (std::size_t table = 0; table < Tables.size(); ++table)
            watch->Taken->Keys[table].insert(written.Keys[table].begin(),
                                             written.Keys[table].end());
    return written;
}

} // namespace WriteWatch
