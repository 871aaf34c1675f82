#include "sync/PeerMerge.h"

#include "common/Errors.h"
#include "data/RecycleBin.h"
#include "data/Schema.h"
#include "sync/ChangeScan.h"
#include "sync/ConflictNames.h"
#include "sync/LineMerge.h"
#include "sync/RowStore.h"
#include "sync/SyncStatement.h"

#include <QCoreApplication>
#include <QSet>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <future>
#include <limits>
#include <memory>

using namespace RowStore;

namespace PeerMerge {
namespace {

const QString IEType = QStringLiteral("IEType");
const QString NoteType = QStringLiteral("NoteType");
const QString NoteBook = QStringLiteral("NoteBook");
const QString IE = QStringLiteral("IE");

// More deletions than this from one peer are asked about first.
constexpr int DeletionsAsked = 20;

const TTable& TableNamed(const QString& name)
{
    for (const TTable& table : Tables())
        if (table.Name == name)
            return table;
    Q_UNREACHABLE();
}

// Whether a's change is the newer one; equal times are settled by content, alike everywhere.
bool Newer(const TRow& a, const TRow& b)
{
    return a.Changed != b.Changed ? a.Changed > b.Changed : a.Hash > b.Hash;
}

class TMerger final
{
public:
    TMerger(sqlite3* local, sqlite3* peer, const TSetup& setup)
        : FLocal(local), FPeerConnection(peer), FSetup(setup)
    {}

    // This computer's side: its changes recorded, its rows read; the peer is not read yet.
    void ReadMine()
    {
        ChangeScan::Run(FLocal, FSetup.Device, FSetup.Now);
        FAgreed = std::make_unique<TAgreedWriter>(FLocal);
        FMine = RowStore::Read(FLocal);
    }

    TReport Run()
    {
        // What the peer holds alike is settled already: only the rest is looked at.
        FPeer = RowStore::ReadUnlike(FPeerConnection, FMine);
        for (const QString& table : {IEType, NoteType}) {
            TSyncStatement select(FLocal,
                                  QStringLiteral("select max(SelfIndex) from %1").arg(table));
            while (select.Next())
                FNextGroup[table] = select.Number(0) + 1;
        }
        for (const TTable& table : Tables())
            for (const TRow& row : PeerOrder(table))
                Take(table, row);
        for (const QString& table : {IEType, NoteType})
            BreakCycles(table);
        Deletions();
        // What the peer's deletions took goes into this computer's recycle bin, so that a
        // deletion made by mistake on another computer can be undone here.
        if (!FRemoved.empty())
            TRecycleBin(FLocal, [this] { return FSetup.Now; }).KeepRemoved(FRemoved);
        AdoptDataSet();
        return FReport;
    }

private:
    // The peer's rows, a group after its parent.
    std::vector<TRow> PeerOrder(const TTable& table) const
    {
        const TTableRows& rows = FPeer.at(table.Name);
        if (table.Kind != TKind::Group)
            return rows.Rows;
        std::vector<TRow> ordered;
        QSet<QString> placed;
        std::vector<const TRow*> waiting;
        for (const TRow& row : rows.Rows)
            waiting.push_back(&row);
        while (!waiting.empty()) {
            std::vector<const TRow*> still;
            for (const TRow* row : waiting) {
                const QString& parent = row->Fields.at(1);
                if (parent.isEmpty() || placed.contains(parent) || !rows.Find(parent)) {
                    ordered.push_back(*row);
                    placed.insert(row->Id);
                } else {
                    still.push_back(row);
                }
            }
            if (still.size() == waiting.size()) { // a cycle: its groups in any order
                for (const TRow* row : still)
                    ordered.push_back(*row);
                break;
            }
            waiting = std::move(still);
        }
        return ordered;
    }

    void Take(const TTable& table, const TRow& theirs)
    {
        TTableRows& mine = FMine[table.Name];
        if (const TRow* ours = mine.Find(theirs.Id)) {
            const TVersionVector::TOrder order = theirs.Versions.Compare(ours->Versions);
            if (order == TVersionVector::TOrder::Before ||
                (order == TVersionVector::TOrder::Equal && theirs.Hash == ours->Hash))
                return;
            if (order == TVersionVector::TOrder::After) {
                Write(table, theirs.Id, theirs.Fields, theirs.Versions, theirs.Changed);
                FAgreed->Write(table.Name, theirs.Id, {theirs.Versions, theirs.Fields});
                ++FReport.Taken;
                return;
            }
            MergeBoth(table, *ours, theirs);
            return;
        }
        TVersionVector versions = theirs.Versions;
        if (const auto deleted = mine.Deletions.constFind(theirs.Id);
            deleted != mine.Deletions.constEnd()) {
            if (deleted->Versions.Covers(theirs.Versions))
                return; // deleted here after the peer's last change
            // Changed there while deleted here: the change stays.
            versions = versions.Joined(deleted->Versions);
            ++FReport.KeptFromDeletion;
        }
        Write(table, theirs.Id, theirs.Fields, versions, theirs.Changed);
        FAgreed->Write(table.Name, theirs.Id, {theirs.Versions, theirs.Fields});
        ++FReport.Taken;
    }

    // The newest content that both versions grew from, as far as either side knows it.
    TFields Base(const QString& table, const TRow& ours, const TRow& theirs) const
    {
        for (sqlite3* connection : {FLocal, FPeerConnection}) {
            TAgreed agreed;
            if (ReadAgreed(connection, table, ours.Id, &agreed) &&
                ours.Versions.Covers(agreed.Versions) && theirs.Versions.Covers(agreed.Versions))
                return agreed.Fields;
        }
        return {}; // nothing in common: every difference is a clash, and nothing is lost
    }

    void MergeBoth(const TTable& table, const TRow ours, const TRow& theirs)
    {
        const bool oursNewer = Newer(ours, theirs);
        const TRow& older = oursNewer ? theirs : ours;
        const QString olderName = oursNewer ? FSetup.PeerName : FSetup.DeviceName;
        const TFields base = Base(table.Name, ours, theirs);
        TFields result;
        bool clash = false;
        if (table.Kind == TKind::Note) {
            const LineMerge::TResult merged =
                LineMerge::Merge(base.value(0), ours.Fields.at(0), theirs.Fields.at(0), oursNewer);
            result = {merged.Text};
            clash = merged.Clash;
        } else {
            for (qsizetype field = 0; field < ours.Fields.size(); ++field) {
                const QString& a = ours.Fields.at(field);
                const QString& b = theirs.Fields.at(field);
                const bool hasBase = field < base.size();
                if (a == b || (hasBase && b == base.at(field)))
                    result << a;
                else if (hasBase && a == base.at(field))
                    result << b;
                else {
                    result << (oursNewer ? a : b);
                    clash = true;
                }
            }
        }
        TVersionVector versions = ours.Versions.Joined(theirs.Versions);
        if (result != ours.Fields && result != theirs.Fields)
            versions.Bump(FSetup.Device);
        const qint64 changed = std::max(ours.Changed, theirs.Changed);
        // What the clash left out is kept beside, once, however often the two are merged.
        if (clash && table.Kind == TKind::Note)
            KeepNoteCopy(ours.Id, older, olderName);
        else if (clash && table.Kind == TKind::Address)
            KeepAddressCopy(ours.Id, older);
        FReport.Conflicts += clash && table.Kind != TKind::Group;
        ++FReport.Merged;
        Write(table, ours.Id, result, versions, changed);
        // The peer's version is where both sides' next versions grow from.
        FAgreed->Write(table.Name, ours.Id, {theirs.Versions, theirs.Fields});
    }

    bool Known(const QString& table, const QString& id) const
    {
        const TTableRows& rows = FMine.at(table);
        return rows.Find(id) || rows.Deletions.contains(id);
    }

    TVersionVector Fresh() const
    {
        TVersionVector versions;
        versions.Bump(FSetup.Device);
        return versions;
    }

    void KeepNoteCopy(const QString& noteId, const TRow& older, const QString& olderName)
    {
        const QString id = DerivedId({QStringLiteral("conflict"), NoteBook, noteId, older.Hash});
        if (Known(NoteType, id))
            return;
        const TRow* group = FMine.at(NoteType).Find(noteId);
        const QString name = group ? group->Fields.at(0) : QString();
        const QString parent = group ? group->Fields.at(1) : QString();
        Write(TableNamed(NoteType), id,
              {ConflictNames::NoteCopyGroup(name, olderName, FSetup.Now), parent}, Fresh(),
              FSetup.Now);
        Write(TableNamed(NoteBook), id, older.Fields, Fresh(), FSetup.Now);
    }

    void KeepAddressCopy(const QString& addressId, const TRow& older)
    {
        const QString id = DerivedId({QStringLiteral("conflict"), IE, addressId, older.Hash});
        if (Known(IE, id))
            return;
        const QString group = ConflictNames::AddressGroupId();
        if (!FMine.at(IEType).Find(group))
            Write(TableNamed(IEType), group, {ConflictNames::AddressGroup(), QString()}, Fresh(),
                  FSetup.Now);
        TFields fields = older.Fields;
        fields[0] = group;
        Write(TableNamed(IE), id, fields, Fresh(), FSetup.Now);
    }

    // The group's number here; a group that only the peer still has is brought back, with the
    // groups above it. -1 when neither side has it.
    qint64 GroupKey(const QString& table, const QString& id)
    {
        if (const TRow* row = FMine.at(table).Find(id))
            return row->Key;
        const TRow* theirs = FPeer.at(table).Find(id);
        // A group that is its own ancestor there ends at the top here.
        if (!theirs || FBringing.contains(id))
            return -1;
        FBringing.insert(id);
        TVersionVector versions = theirs->Versions;
        // Brought back over a deletion here: this version has seen that deletion.
        if (const auto deleted = FMine.at(table).Deletions.constFind(id);
            deleted != FMine.at(table).Deletions.constEnd()) {
            versions = versions.Joined(deleted->Versions);
            versions.Bump(FSetup.Device);
            ++FReport.KeptFromDeletion;
        }
        Write(TableNamed(table), id, theirs->Fields, versions, theirs->Changed);
        FBringing.remove(id);
        return FMine.at(table).Find(id)->Key;
    }

    TSyncStatement& Statement(const QString& sql)
    {
        auto& statement = FStatements[sql];
        if (!statement)
            statement = std::make_unique<TSyncStatement>(FLocal, sql);
        return *statement;
    }

    // Puts the row's content into its table and its record into the sync records.
    void Write(const TTable& table, const QString id, TFields fields,
               const TVersionVector& versions, qint64 changed)
    {
        TTableRows& rows = FMine[table.Name];
        const auto keyOf = [&rows, &id] {
            const TRow* existing = rows.Find(id);
            return existing ? existing->Key : -1;
        };
        qint64 key = keyOf();
        switch (table.Kind) {
        case TKind::Group: {
            FBringing.insert(id);
            qint64 parent = fields.at(1).isEmpty() ? 0 : GroupKey(table.Name, fields.at(1));
            FBringing.remove(id);
            if (parent < 0) {
                parent = 0;
                fields[1].clear();
            }
            key = keyOf(); // bringing the parent back may have brought this one
            if (key < 0) {
                key = FNextGroup[table.Name]++;
                Statement(QStringLiteral("insert into %1 (SelfIndex, ParentIndex, TypeName) "
                                         "values (?1, ?2, ?3)")
                              .arg(table.Name))
                    .Bind(1, key)
                    .Bind(2, parent)
                    .Bind(3, fields.at(0))
                    .Run();
            } else {
                Statement(QStringLiteral("update %1 set ParentIndex=?2, TypeName=?3 where "
                                         "SelfIndex=?1")
                              .arg(table.Name))
                    .Bind(1, key)
                    .Bind(2, parent)
                    .Bind(3, fields.at(0))
                    .Run();
            }
            break;
        }
        case TKind::Note: {
            const qint64 group = id == RootNoteId() ? 0 : GroupKey(NoteType, id);
            if (group < 0)
                return; // its group is gone on both sides
            key = keyOf();
            if (key < 0) {
                key = group;
                Statement(QStringLiteral("insert into NoteBook (TypeID, ReMark) values (?1, ?2)"))
                    .Bind(1, key)
                    .Bind(2, fields.at(0))
                    .Run();
            } else {
                Statement(QStringLiteral("update NoteBook set ReMark=?2 where TypeID=?1"))
                    .Bind(1, key)
                    .Bind(2, fields.at(0))
                    .Run();
            }
            break;
        }
        case TKind::Address: {
            qint64 group = fields.at(0).isEmpty() ? 0 : GroupKey(IEType, fields.at(0));
            if (group < 0) {
                group = 0;
                fields[0].clear();
            }
            key = keyOf();
            if (key < 0) {
                Statement(QStringLiteral("insert into IE (TypeID, IEUrl, IEName, ReMark) values "
                                         "(?1, ?2, ?3, ?4)"))
                    .Bind(1, group)
                    .Bind(2, fields.at(1))
                    .Bind(3, fields.at(2))
                    .Bind(4, fields.at(3))
                    .Run();
                key = sqlite3_last_insert_rowid(FLocal);
            } else {
                Statement(QStringLiteral("update IE set TypeID=?2, IEUrl=?3, IEName=?4, ReMark=?5 "
                                         "where ID=?1"))
                    .Bind(1, key)
                    .Bind(2, group)
                    .Bind(3, fields.at(1))
                    .Bind(4, fields.at(2))
                    .Bind(5, fields.at(3))
                    .Run();
            }
            break;
        }
        }
        TRow row{key, id, versions, changed, HashOf(table.Name, fields), fields};
        Record(table.Name, row);
        rows.Deletions.remove(id);
        Statement(QStringLiteral("delete from SyncDeletion where TableName=?1 and RowId=?2"))
            .Bind(1, table.Name)
            .Bind(2, id)
            .Run();
        if (const qsizetype at = rows.ById.value(id, -1); at >= 0)
            rows.Rows[size_t(at)] = std::move(row);
        else
            rows.Add(std::move(row));
    }

    void Record(const QString& table, const TRow& row)
    {
        // Not "insert or replace", which the engine runs under a statement journal whose pages
        // SQLCipher encrypts.
        Statement(QStringLiteral("delete from SyncRow where TableName=?1 and (LocalKey=?2 or "
                                 "RowId=?3)"))
            .Bind(1, table)
            .Bind(2, row.Key)
            .Bind(3, row.Id)
            .Run();
        Statement(QStringLiteral("insert into SyncRow (TableName, LocalKey, RowId, Versions, "
                                 "Changed, Hash) values (?1, ?2, ?3, ?4, ?5, ?6)"))
            .Bind(1, table)
            .Bind(2, row.Key)
            .Bind(3, row.Id)
            .Bind(4, row.Versions.Text())
            .Bind(5, row.Changed)
            .Bind(6, row.Hash)
            .Run();
    }

    void RecordDeletion(const QString& table, const QString& id, const TDeletion& deletion)
    {
        FMine[table].Deletions.insert(id, deletion);
        Statement(QStringLiteral("insert or replace into SyncDeletion (TableName, RowId, Versions, "
                                 "Deleted) values (?1, ?2, ?3, ?4)"))
            .Bind(1, table)
            .Bind(2, id)
            .Bind(3, deletion.Versions.Text())
            .Bind(4, deletion.Deleted)
            .Run();
    }

    // A row kept against a deletion: its version has seen the deletion, so the change wins
    // everywhere.
    void KeepAgainst(const QString& table, const QString& id, const TVersionVector& deleted)
    {
        TTableRows& rows = FMine[table];
        TRow& row = rows.Rows[size_t(rows.ById.value(id))];
        row.Versions = row.Versions.Joined(deleted);
        row.Versions.Bump(FSetup.Device);
        Record(table, row);
        ++FReport.KeptFromDeletion;
    }

    void Remove(const QString& table, const TRow row, const TDeletion& deletion)
    {
        const TTable& described = TableNamed(table);
        const QString sql = described.Kind == TKind::Group
                                ? QStringLiteral("delete from %1 where SelfIndex=?1").arg(table)
                            : described.Kind == TKind::Note
                                ? QStringLiteral("delete from NoteBook where TypeID=?1")
                                : QStringLiteral("delete from IE where ID=?1");
        const std::vector<TRecycleBin::TRow> kept = TRecycleBin(FLocal).ReadRows(table, row.Key);
        FRemoved.insert(FRemoved.end(), kept.begin(), kept.end());
        Statement(sql).Bind(1, row.Key).Run();
        Statement(QStringLiteral("delete from SyncRow where TableName=?1 and LocalKey=?2"))
            .Bind(1, table)
            .Bind(2, row.Key)
            .Run();
        Statement(QStringLiteral("delete from SyncAgreed where TableName=?1 and RowId=?2"))
            .Bind(1, table)
            .Bind(2, row.Id)
            .Run();
        TDeletion recorded = deletion;
        recorded.Versions = deletion.Versions.Joined(row.Versions);
        TTableRows& rows = FMine[table];
        const qsizetype at = rows.ById.take(row.Id);
        rows.ByKey.remove(row.Key);
        rows.Rows[size_t(at)].Id.clear();
        RecordDeletion(table, row.Id, recorded);
        ++FReport.Deleted;
    }

    struct TCandidate
    {
        QString Table;
        QString Id;
        TDeletion Deletion;
    };

    void Deletions()
    {
        std::vector<TCandidate> candidates;
        QHash<QString, int> perTable;
        for (const QString& table : {IE, NoteBook, NoteType, IEType}) {
            const TTableRows& theirs = FPeer.at(table);
            for (auto at = theirs.Deletions.constBegin(); at != theirs.Deletions.constEnd(); ++at) {
                const TRow* ours = FMine.at(table).Find(at.key());
                if (!ours) {
                    const TDeletion known = FMine.at(table).Deletions.value(at.key());
                    if (!known.Versions.Covers(at->Versions))
                        RecordDeletion(table, at.key(),
                                       {at->Versions.Joined(known.Versions),
                                        std::max(known.Deleted, at->Deleted)});
                } else if (at->Versions.Covers(ours->Versions)) {
                    candidates.push_back({table, at.key(), *at});
                    ++perTable[table];
                } else {
                    KeepAgainst(table, at.key(), at->Versions); // changed here meanwhile
                }
            }
        }
        if (candidates.empty())
            return;
        bool confirmed = true;
        bool large = int(candidates.size()) > DeletionsAsked;
        for (auto at = perTable.constBegin(); at != perTable.constEnd(); ++at)
            large |= qint64(*at) * 10 > qint64(FMine.at(at.key()).ById.size());
        if (large && FSetup.ConfirmDeletions)
            confirmed = FSetup.ConfirmDeletions(perTable.value(IEType) + perTable.value(NoteType),
                                                perTable.value(IE));
        // Groups go last, the deepest first, and only when nothing kept still lives in them.
        QHash<QString, QHash<qint64, int>> users = GroupUsers();
        QHash<QString, QHash<QString, int>> depth;
        for (const TCandidate& candidate : candidates)
            if (candidate.Table == IEType || candidate.Table == NoteType)
                if (const TRow* row = FMine.at(candidate.Table).Find(candidate.Id))
                    depth[candidate.Table][row->Id] = Depth(candidate.Table, *row);
        // Notes and addresses before every group, so that a group deleted with its content
        // has no user left when its turn comes.
        const auto rank = [&depth](const TCandidate& candidate) {
            return candidate.Table == IEType || candidate.Table == NoteType
                       ? depth.value(candidate.Table).value(candidate.Id)
                       : std::numeric_limits<int>::max();
        };
        std::stable_sort(
            candidates.begin(), candidates.end(),
            [&rank](const TCandidate& a, const TCandidate& b) { return rank(a) > rank(b); });
        for (const TCandidate& candidate : candidates) {
            const TRow* row = FMine.at(candidate.Table).Find(candidate.Id);
            if (!row)
                continue;
            const TTable& table = TableNamed(candidate.Table);
            if (!confirmed ||
                (table.Kind == TKind::Group && users[table.Name].value(row->Key) > 0)) {
                KeepAgainst(table.Name, candidate.Id, candidate.Deletion.Versions);
                continue;
            }
            // The group it lived in has one user less.
            const QString usedTable = table.Kind == TKind::Address ? IEType : table.GroupTable;
            const qint64 used = table.Kind == TKind::Group  ? ParentKey(table.Name, *row)
                                : table.Kind == TKind::Note ? row->Key
                                                            : GroupKeyOf(IEType, row->Fields.at(0));
            --users[usedTable][used];
            Remove(table.Name, *row, candidate.Deletion);
        }
    }

    qint64 GroupKeyOf(const QString& table, const QString& id) const
    {
        const TRow* row = FMine.at(table).Find(id);
        return row ? row->Key : -1;
    }

    qint64 ParentKey(const QString& table, const TRow& row) const
    {
        return row.Fields.at(1).isEmpty() ? -1 : GroupKeyOf(table, row.Fields.at(1));
    }

    int Depth(const QString& table, const TRow& row) const
    {
        QSet<QString> path;
        for (const TRow* at = &row; at && !path.contains(at->Id);)
            path.insert(at->Id),
                at = at->Fields.at(1).isEmpty() ? nullptr : FMine.at(table).Find(at->Fields.at(1));
        return int(path.size());
    }

    // How many groups, notes and addresses live in each group, by its number.
    QHash<QString, QHash<qint64, int>> GroupUsers() const
    {
        QHash<QString, QHash<qint64, int>> users;
        for (const QString& table : {IEType, NoteType})
            for (const TRow& row : FMine.at(table).Rows)
                if (!row.Id.isEmpty())
                    ++users[table][ParentKey(table, row)];
        for (const TRow& row : FMine.at(NoteBook).Rows)
            if (!row.Id.isEmpty())
                ++users[NoteType][row.Key];
        for (const TRow& row : FMine.at(IE).Rows)
            if (!row.Id.isEmpty())
                ++users[IEType][GroupKeyOf(IEType, row.Fields.at(0))];
        return users;
    }

    // Two moves that together put a group below itself: the group moved last goes to the top.
    void BreakCycles(const QString& table)
    {
        TTableRows& rows = FMine[table];
        for (;;) {
            const TRow* loopMember = LoopMember(rows);
            if (!loopMember)
                return;
            const TRow* last = loopMember;
            for (const TRow* at = rows.Find(loopMember->Fields.at(1)); at != loopMember;
                 at = rows.Find(at->Fields.at(1)))
                if (Newer(*at, *last))
                    last = at;
            TVersionVector versions = last->Versions;
            versions.Bump(FSetup.Device);
            Write(TableNamed(table), last->Id, {last->Fields.at(0), QString()}, versions,
                  last->Changed);
        }
    }

    // Where the first path up from a group, in the rows' order, comes back to itself: a group
    // of that loop; nullptr when every path ends at the top. Each group is walked once.
    static const TRow* LoopMember(const TTableRows& rows)
    {
        enum : char
        {
            Unseen,
            OnPath,
            EndsAtTop
        };
        std::vector<char> state(rows.Rows.size(), Unseen);
        std::vector<size_t> path;
        const auto parentOf = [&rows](const TRow& row) {
            return row.Fields.at(1).isEmpty() ? nullptr : rows.Find(row.Fields.at(1));
        };
        for (size_t start = 0; start < rows.Rows.size(); ++start) {
            if (rows.Rows[start].Id.isEmpty() || state[start] != Unseen)
                continue;
            path.clear();
            const TRow* at = &rows.Rows[start];
            while (at && state[size_t(at - rows.Rows.data())] == Unseen) {
                const size_t index = size_t(at - rows.Rows.data());
                state[index] = OnPath;
                path.push_back(index);
                at = parentOf(*at);
            }
            if (at && state[size_t(at - rows.Rows.data())] == OnPath)
                return at;
            for (const size_t index : path)
                state[index] = EndsAtTop;
        }
        return nullptr;
    }

    void AdoptDataSet()
    {
        // Two data sets merged become one, under the id both sides settle on.
        const QString theirs = ChangeScan::DataSetId(FPeerConnection);
        if (!theirs.isEmpty() && theirs < ChangeScan::DataSetId(FLocal))
            Statement(QStringLiteral("update SyncDataSet set DataSetId=?1")).Bind(1, theirs).Run();
    }

    sqlite3* FLocal;
    sqlite3* FPeerConnection;
    const TSetup& FSetup;
    TSnapshot FMine;
    TSnapshot FPeer;
    QHash<QString, qint64> FNextGroup;
    QSet<QString> FBringing; // groups being written, their parents brought first
    std::map<QString, std::unique_ptr<TSyncStatement>> FStatements;
    TReport FReport;
    std::unique_ptr<TAgreedWriter> FAgreed;
    std::vector<TRecycleBin::TRow> FRemoved; // the rows the peer's deletions took
};

} // namespace

QString PeerProblem(sqlite3* peer)
{
    QString error = DatabaseSchema::Difference(peer);
    if (error.isEmpty() && DatabaseSchema::VersionOf(peer) < DatabaseSchema::SyncVersion)
        error = QCoreApplication::translate("PeerMerge", "没有同步记录");
    if (error.isEmpty() && ChangeScan::DataSetId(peer).isEmpty())
        error = QCoreApplication::translate("PeerMerge", "没有同步记录");
    if (!error.isEmpty())
        return error;
    // Every page read and its structure checked, as at the program's start: a torn or half
    // copied file fails here. (The indexes' agreement with their tables is not needed to read it.)
    TStatement check = Prepare(peer, QStringLiteral("PRAGMA quick_check"), &error);
    QStringList verdict;
    while (check && sqlite3_step(check.get()) == SQLITE_ROW)
        verdict << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0)));
    if (error.isEmpty() && verdict != QStringList(QStringLiteral("ok")))
        error = QStringLiteral("database disk image is malformed: ") +
                (verdict.isEmpty() ? EngineMessage(peer) : verdict.join(QStringLiteral("; ")));
    return error;
}

TReport Merge(sqlite3* local, sqlite3* peer, const TSetup& setup)
{
    TReport report;
    // The peer's every page is checked on a thread of its own while this side is read; nothing
    // of the peer is read before, and a refused peer's merge is rolled back whole.
    // (Where no thread can be started, on this one when it is asked for.)
    std::future<QString> problem =
        std::async(std::launch::async | std::launch::deferred, PeerProblem, peer);
    // The scan and the merge read the same pages: kept once decrypted.
    const ChangeScan::TLargerCache cache(local);
    SyncSql::Execute(local, QStringLiteral("begin immediate"));
    try {
        TMerger merger(local, peer, setup);
        merger.ReadMine();
        report.Refused = problem.get();
        if (!report.Refused.isEmpty()) {
            DatabaseFile::Execute(local, QStringLiteral("rollback"));
            return report;
        }
        report = merger.Run();
        SyncSql::Execute(local, QStringLiteral("commit"));
    } catch (...) {
        if (!sqlite3_get_autocommit(local))
            DatabaseFile::Execute(local, QStringLiteral("rollback"));
        throw;
    }
    return report;
}

} // namespace PeerMerge
