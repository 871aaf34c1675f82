#include "sync/RowStore.h"

#include "sync/KeyedRecords.h"
#include "sync/SyncStatement.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <algorithm>

#include <sodium.h>

namespace RowStore {

const std::vector<TTable>& Tables()
{
    static const std::vector<TTable> tables{
        {QStringLiteral("IEType"), TKind::Group, QStringLiteral("IEType")},
        {QStringLiteral("NoteType"), TKind::Group, QStringLiteral("NoteType")},
        {QStringLiteral("NoteBook"), TKind::Note, QStringLiteral("NoteType")},
        {QStringLiteral("IE"), TKind::Address, QStringLiteral("IEType")},
    };
    return tables;
}

const QString& RootNoteId()
{
    static const QString id = DerivedId({QStringLiteral("root note")});
    return id;
}

const TRow* TTableRows::Find(const QString& id) const
{
    const auto at = ById.constFind(id);
    return at == ById.constEnd() ? nullptr : &Rows[size_t(*at)];
}

void TTableRows::Add(TRow row)
{
    ById.insert(row.Id, qsizetype(Rows.size()));
    ByKey.insert(row.Key, qsizetype(Rows.size()));
    Rows.push_back(std::move(row));
}

namespace {

// The rows of a table as they stand, all of them or (keyed) those of the number ?1.
QString RowsSql(const TTable& table, bool keyed)
{
    switch (table.Kind) {
    case TKind::Group:
        return QStringLiteral("select SelfIndex, ParentIndex, TypeName from %1%2 order by rowid")
            .arg(table.Name, keyed ? QStringLiteral(" where SelfIndex=?1") : QString());
    case TKind::Note:
        return QStringLiteral("select TypeID, ReMark from NoteBook%1 order by rowid")
            .arg(keyed ? QStringLiteral(" where TypeID=?1") : QString());
    case TKind::Address:
        return QStringLiteral("select ID, TypeID, IEUrl, IEName, ReMark from IE%1 order by ID")
            .arg(keyed ? QStringLiteral(" where ID=?1") : QString());
    }
    Q_UNREACHABLE();
}

} // namespace

QString CurrentRowsSql(const TTable& table)
{
    return RowsSql(table, false);
}

QString CurrentRowSql(const TTable& table)
{
    return RowsSql(table, true);
}

std::vector<TRow> CurrentRows(sqlite3* connection, const TTable& table,
                              const QHash<qint64, QString>& groupIds)
{
    std::vector<TRow> rows;
    QSet<qint64> seen;
    const auto add = [&](qint64 key, TFields fields) {
        if (seen.contains(key))
            return;
        seen.insert(key);
        rows.push_back(TRow{key, {}, {}, 0, HashOf(table.Name, fields), std::move(fields)});
    };
    switch (table.Kind) {
    case TKind::Group: {
        TSyncStatement select(connection, CurrentRowsSql(table));
        while (select.Next())
            add(select.Number(0), {select.Text(2), groupIds.value(select.Number(1))});
        break;
    }
    case TKind::Note: {
        TSyncStatement select(connection, CurrentRowsSql(table));
        // A note outside every group is shown nowhere and stays with its file.
        while (select.Next())
            if (select.Number(0) == 0 || groupIds.contains(select.Number(0)))
                add(select.Number(0), {select.Text(1)});
        break;
    }
    case TKind::Address: {
        TSyncStatement select(connection, CurrentRowsSql(table));
        while (select.Next())
            add(select.Number(0),
                {groupIds.value(select.Number(1)), select.Text(2), select.Text(3), select.Text(4)});
        break;
    }
    }
    return rows;
}

QHash<qint64, QString> GroupIds(sqlite3* connection, const QString& groupTable)
{
    QHash<qint64, QString> ids;
    TSyncStatement select(connection,
                          QStringLiteral("select LocalKey, RowId from SyncRow not indexed where "
                                         "TableName=?1"));
    select.Bind(1, groupTable);
    while (select.Next())
        ids.insert(select.Number(0), select.Text(1));
    return ids;
}

namespace {

// A row's sync record as read.
struct TRecordRead
{
    QString Id;
    QByteArray IdUtf8;
    QString Versions;
    qint64 Changed = 0;
    bool Taken = false; // a row of this number was read already
};

using TRecordsRead = TKeyedRecords<TRecordRead>;

// Reads the rows of every synced table with their records, each table once in its own order
// and the records in one pass. A row that unlike holds alike (the same content and version) is
// left out without its texts being made.
TSnapshot ReadRows(sqlite3* connection, const TSnapshot* unlike)
{
    std::map<QString, TRecordsRead> records;
    {
        std::vector<std::pair<QByteArray, TRecordsRead*>> byName;
        for (const TTable& table : Tables())
            byName.emplace_back(table.Name.toUtf8(), &records[table.Name]);
        TSyncStatement select(connection, QStringLiteral("select TableName, LocalKey, RowId, "
                                                         "Versions, Changed from SyncRow"));
        while (select.Next()) {
            const QByteArrayView name = select.Utf8(0);
            const auto target = std::find_if(byName.begin(), byName.end(),
                                             [&name](const auto& at) { return at.first == name; });
            if (target == byName.end())
                continue;
            TRecordRead record;
            record.IdUtf8 = select.Utf8(2).toByteArray();
            record.Id = QString::fromUtf8(record.IdUtf8);
            record.Versions = select.Text(3);
            record.Changed = select.Number(4);
            target->second->Add(select.Number(1), std::move(record));
        }
        for (auto& [table, tableRecords] : records)
            tableRecords.Index();
    }
    TSnapshot snapshot;
    TSyncStatement deletions(
        connection,
        QStringLiteral("select RowId, Versions, Deleted from SyncDeletion where TableName=?1"));
    for (const TTable& table : Tables()) {
        TTableRows& rows = snapshot[table.Name];
        TRecordsRead& tableRecords = records[table.Name];
        const TRecordsRead& groups = records[table.GroupTable];
        const TTableRows* other = unlike ? &unlike->at(table.Name) : nullptr;
        const QByteArray name = table.Name.toUtf8();
        const auto group = [&groups](qint64 key) -> const TRecordRead* {
            return groups.Find(key);
        };
        const auto groupUtf8 = [](const TRecordRead* record) {
            return record ? QByteArrayView(record->IdUtf8) : QByteArrayView("");
        };
        const auto groupId = [](const TRecordRead* record) {
            return record ? record->Id : QString();
        };
        // The first row read of a number is the row; one without a record is not yet recorded
        // (a change scan gives it an id).
        const auto offer = [&](qint64 key, std::initializer_list<QByteArrayView> fields,
                               auto&& makeFields) {
            TRecordRead* record = tableRecords.Find(key);
            if (!record || record->Taken)
                return;
            record->Taken = true;
            const THashHex hash = HashOfUtf8(name, fields);
            if (other)
                if (const TRow* alike = other->Find(record->Id);
                    alike &&
                    alike->Hash == QLatin1StringView(hash.data(), qsizetype(hash.size())) &&
                    alike->Versions.Is(record->Versions))
                    return;
            rows.Add(TRow{key, record->Id, TVersionVector::Parse(record->Versions), record->Changed,
                          QString::fromLatin1(hash.data(), qsizetype(hash.size())), makeFields()});
        };
        switch (table.Kind) {
        case TKind::Group: {
            TSyncStatement select(connection, CurrentRowsSql(table));
            while (select.Next()) {
                const TRecordRead* parent = group(select.Number(1));
                offer(select.Number(0), {select.Utf8(2), groupUtf8(parent)}, [&] {
                    return TFields{QString::fromUtf8(select.Utf8(2)), groupId(parent)};
                });
            }
            break;
        }
        case TKind::Note: {
            TSyncStatement select(connection, CurrentRowsSql(table));
            // A note outside every group is shown nowhere and stays with its file.
            while (select.Next())
                if (select.Number(0) == 0 || group(select.Number(0)))
                    offer(select.Number(0), {select.Utf8(1)},
                          [&] { return TFields{QString::fromUtf8(select.Utf8(1))}; });
            break;
        }
        case TKind::Address: {
            TSyncStatement select(connection, CurrentRowsSql(table));
            while (select.Next()) {
                const TRecordRead* in = group(select.Number(1));
                offer(select.Number(0),
                      {groupUtf8(in), select.Utf8(2), select.Utf8(3), select.Utf8(4)}, [&] {
                          return TFields{groupId(in), QString::fromUtf8(select.Utf8(2)),
                                         QString::fromUtf8(select.Utf8(3)),
                                         QString::fromUtf8(select.Utf8(4))};
                      });
            }
            break;
        }
        }
        deletions.Bind(1, table.Name);
        while (deletions.Next())
            rows.Deletions.insert(deletions.Text(0),
                                  {TVersionVector::Parse(deletions.Text(1)), deletions.Number(2)});
    }
    return snapshot;
}

} // namespace

TSnapshot Read(sqlite3* connection)
{
    return ReadRows(connection, nullptr);
}

TSnapshot ReadUnlike(sqlite3* connection, const TSnapshot& mine)
{
    return ReadRows(connection, &mine);
}

bool ReadAgreed(sqlite3* connection, const QString& table, const QString& id, TAgreed* agreed)
{
    TSyncStatement select(connection, QStringLiteral("select Content from SyncAgreed where "
                                                     "TableName=?1 and RowId=?2"));
    select.Bind(1, table).Bind(2, id);
    bool found = false;
    while (select.Next()) {
        // The version first, then the fields.
        const TFields content = Decode(select.Text(0));
        found = !content.isEmpty();
        if (found)
            *agreed = {TVersionVector::Parse(content.first()), content.mid(1)};
    }
    return found;
}

// A delete and an insert rather than "insert or replace", which the engine runs under a statement
// journal whose pages SQLCipher encrypts.
TAgreedWriter::TAgreedWriter(sqlite3* connection)
    : FReplaced(std::make_unique<TSyncStatement>(
          connection, QStringLiteral("delete from SyncAgreed where TableName=?1 and RowId=?2"))),
      FInsert(std::make_unique<TSyncStatement>(
          connection, QStringLiteral("insert into SyncAgreed (TableName, RowId, Content) values "
                                     "(?1, ?2, ?3)")))
{}

TAgreedWriter::~TAgreedWriter() = default;

void TAgreedWriter::Write(const QString& table, const QString& id, const TAgreed& agreed)
{
    FReplaced->Bind(1, table).Bind(2, id).Run();
    FInsert->Bind(1, table)
        .Bind(2, id)
        .Bind(3, Encode(QStringList(agreed.Versions.Text()) + agreed.Fields))
        .Run();
}

namespace {
constexpr size_t DigestSize = 16;

// One part of a digest: its length first, so that no two lists of parts read as the same bytes.
void AddPart(crypto_generichash_state* state, QByteArrayView utf8)
{
    const quint64 size = quint64(utf8.size());
    crypto_generichash_update(state, reinterpret_cast<const unsigned char*>(&size), sizeof size);
    crypto_generichash_update(state, reinterpret_cast<const unsigned char*>(utf8.data()),
                              size_t(utf8.size()));
}

QString Digest(const QStringList& parts)
{
    crypto_generichash_state state;
    unsigned char out[DigestSize];
    crypto_generichash_init(&state, nullptr, 0, sizeof out);
    for (const QString& part : parts)
        AddPart(&state, part.toUtf8());
    crypto_generichash_final(&state, out, sizeof out);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(out), int(sizeof out)).toHex());
}

// Whether bytes read as a text give the same bytes back: valid UTF-8 without a leading byte
// order mark, which reading drops.
bool ReadsBackAlike(QByteArrayView utf8)
{
    if (utf8.startsWith("\xEF\xBB\xBF"))
        return false;
    for (const char c : utf8)
        if (uchar(c) >= 0x80)
            return utf8.isValidUtf8();
    return true;
}
} // namespace

THashHex HashOfUtf8(QByteArrayView table, std::initializer_list<QByteArrayView> fields)
{
    crypto_generichash_state state;
    unsigned char out[DigestSize];
    crypto_generichash_init(&state, nullptr, 0, sizeof out);
    AddPart(&state, table);
    for (const QByteArrayView field : fields)
        if (ReadsBackAlike(field))
            AddPart(&state, field);
        else
            AddPart(&state, QString::fromUtf8(field).toUtf8());
    crypto_generichash_final(&state, out, sizeof out);
    static constexpr char Digits[] = "0123456789abcdef";
    THashHex hex;
    for (size_t i = 0; i < DigestSize; ++i) {
        hex[2 * i] = Digits[out[i] >> 4];
        hex[2 * i + 1] = Digits[out[i] & 0xf];
    }
    return hex;
}

QString HashOf(const QString& table, const TFields& fields)
{
    return Digest(QStringList(table) + fields);
}

QString RandomId()
{
    static const bool ready = sodium_init() >= 0;
    Q_UNUSED(ready);
    unsigned char bytes[16];
    randombytes_buf(bytes, sizeof bytes);
    return QString::fromLatin1(
        QByteArray(reinterpret_cast<const char*>(bytes), int(sizeof bytes)).toHex());
}

QString DerivedId(const QStringList& parts)
{
    return Digest(parts);
}

QString Encode(const TFields& fields)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(fields)).toJson(QJsonDocument::Compact));
}

TFields Decode(const QString& text)
{
    TFields fields;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array())
        fields << value.toString();
    return fields;
}

} // namespace RowStore
