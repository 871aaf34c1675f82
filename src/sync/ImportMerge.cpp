#include "sync/ImportMerge.h"

#include "data/FileKey.h"
#include "data/GroupNumber.h"
#include "data/Schema.h"
#include "data/Sqlite.h"
#include "sync/ChangeScan.h"
#include "sync/ConflictNames.h"
#include "sync/SyncStatement.h"

#include <QCoreApplication>
#include <QHash>
#include <QList>
#include <QStringList>

#include <sqlcipher/sqlite3.h>

#include <map>
#include <memory>
#include <utility>
#include <vector>

namespace ImportMerge {
namespace {

struct TGroup
{
    qint64 Self = 0;
    qint64 Parent = 0;
    QString Name;
    int Ordinal = 0; // among the siblings of the same name
};

// The groups of a group table that its tree shows. A group is known by its path: its parent's,
// its name and, among siblings of one name, its place; so the groups of two files match one by
// one from the top, and a group added here takes the path it had there. Groups that no path
// from the top reaches (a damaged table) are not shown by the tree and are left out.
class TGroupTree final
{
public:
    TGroupTree(sqlite3* connection, const QString& table)
    {
        TSyncStatement select(connection, QStringLiteral("select SelfIndex, ParentIndex, TypeName "
                                                         "from %1 order by SelfIndex, rowid")
                                              .arg(table));
        while (select.Next()) {
            const qint64 self = select.Number(0);
            FLargest = std::max(FLargest, self);
            // Where two rows share a number the first counts, as in the tree.
            if (self != 0 && !FGroups.contains(self))
                Add({self, select.Number(1), select.Text(2)});
        }
        // From the top down: every group after its parent.
        QList<qint64> waiting(1, 0);
        for (qsizetype at = 0; at < waiting.size(); ++at)
            for (const qint64 child : FChildren.value(waiting.at(at))) {
                Ordered.push_back(At(child));
                waiting << child;
            }
    }

    // Adds a group after its siblings.
    void Add(TGroup group)
    {
        QList<qint64>& named = FByName[NameKey(group.Parent, group.Name)];
        group.Ordinal = int(named.size());
        named << group.Self;
        FChildren[group.Parent] << group.Self;
        FLargest = std::max(FLargest, group.Self);
        FGroups.insert(group.Self, std::move(group));
    }

    // The group under parent with the name and place among its namesakes; -1 when there is none.
    qint64 Find(qint64 parent, const QString& name, int ordinal) const
    {
        return FByName.value(NameKey(parent, name)).value(ordinal, -1);
    }
    const TGroup& At(qint64 self) const { return *FGroups.constFind(self); }
    QList<qint64> Children(qint64 self) const { return FChildren.value(self); }
    qint64 Largest() const { return FLargest; }

    std::vector<TGroup> Ordered; // the groups the tree shows, parents first

private:
    static QString NameKey(qint64 parent, const QString& name)
    {
        return QString::number(parent) + QChar(0x1f) + name;
    }

    QHash<qint64, TGroup> FGroups;
    QHash<QString, QList<qint64>> FByName;
    QHash<qint64, QList<qint64>> FChildren;
    qint64 FLargest = 0;
};

// The notes of a file by their group's number; where a group has several, the first counts, as
// on the page.
QHash<qint64, QString> Notes(sqlite3* connection)
{
    QHash<qint64, QString> notes;
    TSyncStatement select(connection,
                          QStringLiteral("select TypeID, ReMark from NoteBook order by rowid"));
    while (select.Next())
        if (!notes.contains(select.Number(0)))
            notes.insert(select.Number(0), select.Text(1));
    return notes;
}

// Whether whole grew from part: every line of part begins a line of whole, in the same order
// (lines added between them, text typed on at their ends). Taking whole then loses nothing of
// part.
bool GrewFrom(const QString& whole, const QString& part)
{
    if (part.isEmpty())
        return true;
    const QList<QStringView> wholeLines = QStringView(whole).split(QLatin1Char('\n'));
    const QList<QStringView> partLines = QStringView(part).split(QLatin1Char('\n'));
    qsizetype matched = 0;
    for (qsizetype at = 0; at < wholeLines.size() && matched < partLines.size(); ++at)
        matched += wholeLines.at(at).startsWith(partLines.at(matched));
    return matched == partLines.size();
}

struct TAddress
{
    QString Title;
    QString Remark;
    bool operator==(const TAddress&) const = default;
};

QString AddressKey(qint64 group, const QString& url)
{
    return QString::number(group) + QChar(0x1f) + url;
}

class TImporter final
{
public:
    TImporter(sqlite3* local, sqlite3* other, const TSetup& setup)
        : FLocal(local), FOther(other), FSetup(setup)
    {}

    TReport Run()
    {
        const QHash<qint64, qint64> noteGroups = Groups(QStringLiteral("NoteType"));
        const QHash<qint64, qint64> addressGroups = Groups(QStringLiteral("IEType"));
        MergeNotes(noteGroups);
        MergeAddresses(addressGroups);
        return FReport;
    }

private:
    TSyncStatement& Statement(const QString& sql)
    {
        auto& statement = FStatements[sql];
        if (!statement)
            statement = std::make_unique<TSyncStatement>(FLocal, sql);
        return *statement;
    }

    TGroupTree& Tree(const QString& table)
    {
        auto& tree = FTrees[table];
        if (!tree)
            tree = std::make_unique<TGroupTree>(FLocal, table);
        return *tree;
    }

    qint64 AddGroup(const QString& table, qint64 parent, const QString& name)
    {
        TGroupTree& tree = Tree(table);
        const qint64 self = NextGroupNumber(tree.Largest());
        Statement(QStringLiteral("insert into %1 (SelfIndex, ParentIndex, TypeName) values (?1, "
                                 "?2, ?3)")
                      .arg(table))
            .Bind(1, self)
            .Bind(2, parent)
            .Bind(3, name)
            .Run();
        tree.Add({self, parent, name});
        return self;
    }

    // The other file's groups of a table, added here where their path is missing; their numbers
    // there to their numbers here.
    QHash<qint64, qint64> Groups(const QString& table)
    {
        const TGroupTree theirs(FOther, table);
        TGroupTree& mine = Tree(table);
        QHash<qint64, qint64> numbers{{0, 0}};
        for (const TGroup& group : theirs.Ordered) {
            const qint64 parent = numbers.value(group.Parent);
            qint64 here = mine.Find(parent, group.Name, group.Ordinal);
            if (here < 0) {
                here = AddGroup(table, parent, group.Name);
                ++FReport.Groups;
            }
            numbers.insert(group.Self, here);
        }
        return numbers;
    }

    void MergeNotes(const QHash<qint64, qint64>& groups)
    {
        QHash<qint64, QString> mine = Notes(FLocal);
        const QHash<qint64, QString> theirs = Notes(FOther);
        for (auto note = theirs.constBegin(); note != theirs.constEnd(); ++note) {
            const qint64 group = groups.value(note.key(), -1);
            if (group < 0)
                continue; // in a group the other file's tree does not show
            const auto here = mine.constFind(group);
            if (here == mine.constEnd()) {
                AddNote(group, *note);
                mine.insert(group, *note);
                ++FReport.Notes;
            } else if (*here == *note || GrewFrom(*here, *note)) {
                continue;
            } else if (GrewFrom(*note, *here)) {
                Statement(QStringLiteral("update NoteBook set ReMark=?2 where TypeID=?1"))
                    .Bind(1, group)
                    .Bind(2, *note)
                    .Run();
                mine.insert(group, *note);
                ++FReport.Notes;
            } else {
                KeepNoteCopy(group, *note, mine);
            }
        }
    }

    void AddNote(qint64 group, const QString& text)
    {
        Statement(QStringLiteral("insert into NoteBook (TypeID, ReMark) values (?1, ?2)"))
            .Bind(1, group)
            .Bind(2, text)
            .Run();
    }

    // The other text goes into a sibling group of the note's, once: a sibling copy that holds it
    // already, of any source or day, is enough.
    void KeepNoteCopy(qint64 group, const QString& text, QHash<qint64, QString>& notes)
    {
        TGroupTree& tree = Tree(QStringLiteral("NoteType"));
        const TGroup named = group == 0 ? TGroup() : tree.At(group);
        const QString prefix = ConflictNames::NoteCopyPrefix(named.Name);
        for (const qint64 sibling : tree.Children(named.Parent))
            if (tree.At(sibling).Name.startsWith(prefix) && notes.contains(sibling) &&
                notes.value(sibling) == text)
                return;
        const qint64 copy =
            AddGroup(QStringLiteral("NoteType"), named.Parent,
                     ConflictNames::NoteCopyGroup(named.Name, FSetup.SourceName, FSetup.Now));
        AddNote(copy, text);
        notes.insert(copy, text);
        ++FReport.Conflicts;
    }

    void MergeAddresses(const QHash<qint64, qint64>& groups)
    {
        QHash<QString, QList<TAddress>> mine;
        {
            TSyncStatement select(FLocal,
                                  QStringLiteral("select TypeID, IEUrl, IEName, ReMark from IE"));
            while (select.Next())
                mine[AddressKey(select.Number(0), select.Text(1))]
                    << TAddress{select.Text(2), select.Text(3)};
        }
        TSyncStatement select(
            FOther, QStringLiteral("select TypeID, IEUrl, IEName, ReMark from IE order by ID"));
        while (select.Next()) {
            // An address whose group the other file does not show is listed there all the same:
            // here it goes to the top.
            const qint64 group = groups.value(select.Number(0), 0);
            const QString url = select.Text(1);
            const TAddress address{select.Text(2), select.Text(3)};
            QList<TAddress>& here = mine[AddressKey(group, url)];
            if (here.contains(address))
                continue;
            if (here.isEmpty()) {
                AddAddress(group, url, address);
                here << address;
                ++FReport.Addresses;
                continue;
            }
            // The same address with another title or remark: this one stays, the other is kept
            // in the conflict group, once.
            const qint64 conflicts = ConflictGroup();
            QList<TAddress>& kept = mine[AddressKey(conflicts, url)];
            if (kept.contains(address))
                continue;
            AddAddress(conflicts, url, address);
            kept << address;
            ++FReport.Conflicts;
        }
    }

    void AddAddress(qint64 group, const QString& url, const TAddress& address)
    {
        Statement(QStringLiteral("insert into IE (TypeID, IEUrl, IEName, ReMark) values (?1, ?2, "
                                 "?3, ?4)"))
            .Bind(1, group)
            .Bind(2, url)
            .Bind(3, address.Title)
            .Bind(4, address.Remark)
            .Run();
    }

    // The top group "同步冲突", made when first needed. Where the file keeps sync records, a new
    // one takes the id that merges of other computers' copies give it, so that they find it too.
    qint64 ConflictGroup()
    {
        const QString table = QStringLiteral("IEType");
        TGroupTree& tree = Tree(table);
        for (const qint64 top : tree.Children(0))
            if (tree.At(top).Name == ConflictNames::AddressGroup())
                return top;
        const qint64 self = AddGroup(table, 0, ConflictNames::AddressGroup());
        if (!ChangeScan::DataSetId(FLocal).isEmpty())
            // No hash yet: the next change scan records its content and version.
            Statement(QStringLiteral("insert or ignore into SyncRow (TableName, LocalKey, RowId, "
                                     "Versions, Changed, Hash) values (?1, ?2, ?3, '', ?4, '')"))
                .Bind(1, table)
                .Bind(2, self)
                .Bind(3, ConflictNames::AddressGroupId())
                .Bind(4, FSetup.Now)
                .Run();
        return self;
    }

    sqlite3* FLocal;
    sqlite3* FOther;
    const TSetup& FSetup;
    std::map<QString, std::unique_ptr<TGroupTree>> FTrees;
    std::map<QString, std::unique_ptr<TSyncStatement>> FStatements;
    TReport FReport;
};

// Why the other file cannot be merged: not the program's tables, or damaged pages. Empty when it
// can.
QString Problem(sqlite3* other)
{
    QString error = DatabaseSchema::Difference(other);
    if (!error.isEmpty())
        return error;
    const QStringList verdict = DatabaseFile::IntegrityVerdict(other, &error);
    if (error.isEmpty() && verdict != QStringList(QStringLiteral("ok")))
        error = QStringLiteral("database disk image is malformed: ") +
                verdict.join(QStringLiteral("; "));
    return error;
}

} // namespace

TReport Merge(sqlite3* local, sqlite3* other, const TSetup& setup)
{
    TReport report;
    report.Refused = Problem(other);
    if (!report.Refused.isEmpty())
        return report;
    SyncSql::Execute(local, QStringLiteral("begin immediate"));
    try {
        report = TImporter(local, other, setup).Run();
        SyncSql::Execute(local, QStringLiteral("commit"));
    } catch (...) {
        if (!sqlite3_get_autocommit(local))
            DatabaseFile::Execute(local, QStringLiteral("rollback"));
        throw;
    }
    return report;
}

TReport MergeFile(sqlite3* local, const QString& path, const TFileKey& key, const TSetup& setup)
{
    QString error;
    const TConnection other = DatabaseFile::OpenReadOnly(path, &error, key);
    if (!other) {
        TReport report;
        report.Refused = error;
        return report;
    }
    return Merge(local, other.get(), setup);
}

} // namespace ImportMerge
