#pragma once

#include "sync/VersionVector.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QStringList>

#include <array>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

class TSyncStatement;
struct sqlite3;

// The rows of the group, note and address tables as copies on several computers see them: each
// with its stable id, its version and its content in a form that means the same in every copy
// (a group's parent and an address's group by their ids, not by numbers of one file).
namespace RowStore {

enum class TKind
{
    Group,
    Note,
    Address
};

struct TTable
{
    QString Name;
    TKind Kind;
    QString GroupTable; // where a note's or an address's group lives; the table itself for groups
};

// The note of the tree's root (group number 0), which has no group row: the same in every copy.
const QString& RootNoteId();

// The synced tables, groups before what lives in them.
const std::vector<TTable>& Tables();

// What a row holds. A group: its name and its parent's id ("" at the top). A note: its text (its
// group is the group with the note's own id). An address: its group's id, web address, title
// and remark.
using TFields = QStringList;

struct TRow
{
    qint64 Key = 0; // the row's number in its file: SelfIndex, the note's TypeID, or ID
    QString Id;
    TVersionVector Versions;
    qint64 Changed = 0; // ms since the epoch
    QString Hash;
    TFields Fields;
};

struct TDeletion
{
    TVersionVector Versions;
    qint64 Deleted = 0;
};

struct TTableRows
{
    std::vector<TRow> Rows;
    QHash<QString, qsizetype> ById;
    QHash<qint64, qsizetype> ByKey;
    QHash<QString, TDeletion> Deletions;

    const TRow* Find(const QString& id) const;
    void Add(TRow row);
};

// All synced rows of a file whose sync records are up to date, by table name.
using TSnapshot = std::map<QString, TTableRows>;

// The rows of a table as they stand, each with its number and content; group ids by number come
// from groupIds (a group whose parent or an address whose group has no id reads "").
// Where several rows share a number, the first one read is the row.
// The statement that reads a table's rows as they stand: a group's number, parent and name; a
// note's group and text; an address's number, group, web address, title and remark.
QString CurrentRowsSql(const TTable& table);
// The same for the rows of one number, given as ?1.
QString CurrentRowSql(const TTable& table);

std::vector<TRow> CurrentRows(sqlite3* connection, const TTable& table,
                              const QHash<qint64, QString>& groupIds);

// The group numbers of a table with their ids, from the sync records.
QHash<qint64, QString> GroupIds(sqlite3* connection, const QString& groupTable);

// Reads every synced table with its records and its deletions.
TSnapshot Read(sqlite3* connection);
// Read, leaving out the rows that mine holds alike (the same content and version): what a merge
// of this file into mine has to look at. The deletions are all read.
TSnapshot ReadUnlike(sqlite3* connection, const TSnapshot& mine);

// A version of a row's content that other versions grew from, kept as the base of a merge of
// two later ones: only a version that both have seen can serve as their base.
struct TAgreed
{
    TVersionVector Versions;
    TFields Fields;
};
bool ReadAgreed(sqlite3* connection, const QString& table, const QString& id, TAgreed* agreed);

// Writes agreed versions through one statement, prepared once for many rows.
class TAgreedWriter final
{
public:
    explicit TAgreedWriter(sqlite3* connection);
    ~TAgreedWriter();
    void Write(const QString& table, const QString& id, const TAgreed& agreed);

private:
    std::unique_ptr<TSyncStatement> FReplaced;
    std::unique_ptr<TSyncStatement> FInsert;
};

QString HashOf(const QString& table, const TFields& fields);
// HashOf of fields given as the engine's UTF-8 bytes, without making texts of them (a field that
// would not read back as the same bytes is made a text first): the same 32 hex digits.
using THashHex = std::array<char, 32>;
THashHex HashOfUtf8(QByteArrayView table, std::initializer_list<QByteArrayView> fields);
// A new random id.
QString RandomId();
// An id worked out from the given parts: the same parts give the same id in every copy.
QString DerivedId(const QStringList& parts);

QString Encode(const TFields& fields);
TFields Decode(const QString& text);

} // namespace RowStore
