#include "notes/Note.h"

#include "data/DbAccess.h"
#include "data/Prepared.h"
#include "data/Sql.h"

#include <cstring>

namespace {
const QString TypeIdField = QStringLiteral("TypeID");
const QString ReMarkField = QStringLiteral("ReMark");

// The editor's writes: the row is named by its rowid and checked to be the group's still, so a
// rowid that another group's row took over is never written.
constexpr char UpdateRow[] = "update NoteBook set ReMark=? where rowid=? and TypeID=?";
constexpr char FirstRow[] = "select rowid from NoteBook where TypeID=? order by rowid limit 1";
constexpr char InsertRow[] = "insert into NoteBook(TypeID,ReMark) values(?,?)";
// The guarded writes: the stored text is compared as the bytes it holds, a null as empty.
constexpr char UpdateRowIf[] = "update NoteBook set ReMark=? where rowid=? and TypeID=? and "
                               "cast(coalesce(ReMark,'') as blob)=cast(? as blob)";
constexpr char UpdateFirstRowIf[] =
    "update NoteBook set ReMark=? where rowid=(select rowid from NoteBook where TypeID=? order "
    "by rowid limit 1) and cast(coalesce(ReMark,'') as blob)=cast(? as blob)";
constexpr char InsertRowIf[] = "insert into NoteBook(TypeID,ReMark) select ?,? where not exists "
                               "(select 1 from NoteBook where TypeID=?) and (?=0 or exists "
                               "(select 1 from NoteType where SelfIndex=?))";
} // namespace

bool TNote::HasText(const QString& key)
{
    return FDbAccess.QueryInteger(Sql::Format(SqlTemplate::NoteWithText, {Sql::Key(key)})) > 0;
}

bool TNote::GroupExists(qint32 typeId)
{
    return typeId == 0 ||
           FDbAccess.QueryInteger(QStringLiteral("select count(*) from NoteType where SelfIndex=") +
                                  QString::number(typeId)) > 0;
}

bool TNote::NoteExists(const QString& key)
{
    return FDbAccess.QueryInteger(Sql::Format(SqlTemplate::NoteExists, {Sql::Key(key)})) > 0;
}

void TNote::LoadNote(const QString& key)
{
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::LoadNote, {Sql::Key(key)}));
    TypeID = key.trimmed().toInt();
    TResultSet& set = FDbAccess.QuerySet();
    ReMark = set.AsString(ReMarkField);
    RowID = set.RowId();
    set.Close();
}

void TNote::AddNote()
{
    FDbAccess.OpenQuery(QString::fromUtf16(SqlTemplate::AddNote));
    TResultSet& set = FDbAccess.QuerySet();
    set.Append();
    set.SetInteger(TypeIdField, TypeID);
    set.SetString(ReMarkField, ReMark);
    set.Post();
}

void TNote::UpdateNote()
{
    FDbAccess.OpenQuery(Sql::Format(SqlTemplate::UpdateNote, {Sql::Number(TypeID)}));
    TResultSet& set = FDbAccess.QuerySet();
    set.Edit();
    set.SetString(ReMarkField, ReMark);
    set.Post();
}

void TNote::DeleteNote(const QString& key)
{
    FDbAccess.ExecuteBatch(Sql::Format(SqlTemplate::DeleteNote, {Sql::Key(key)}));
}

qint64 TNote::StoreNote(TPrepared& db, qint32 typeId, qint64 rowId, const QByteArray& utf8)
{
    if (rowId > 0 && db.Run(UpdateRow, {utf8, rowId, typeId}) > 0)
        return rowId;
    const qint64 first = db.Run(FirstRow, {typeId});
    if (first > 0) {
        db.Run(UpdateRow, {utf8, first, typeId});
        return first;
    }
    db.Run(InsertRow, {typeId, utf8});
    return db.LastInsertRowId();
}

qint64 TNote::StoreNote(TPrepared& db, qint32 typeId, qint64 rowId, const QByteArray& utf8,
                        const QByteArray& expected)
{
    if (rowId > 0 && db.Run(UpdateRowIf, {utf8, rowId, typeId, expected}) > 0)
        return rowId;
    if (db.Run(UpdateFirstRowIf, {utf8, typeId, expected}) > 0)
        return db.Run(FirstRow, {typeId});
    // No row of the group holds the expected text: it has none (a new note), or another
    // connection changed it.
    if (!expected.isEmpty() || db.Run(FirstRow, {typeId}) > 0)
        return ChangedElsewhere;
    if (db.Run(InsertRowIf, {typeId, utf8, typeId, typeId, typeId}) == 0)
        return ChangedElsewhere;
    return db.LastInsertRowId();
}

QByteArray TNote::StoredUtf8(const QString& editorText)
{
    // The keystroke's path: the separators (U+2028, U+2029, E2 80 A8/A9 in UTF-8) become line
    // feeds in the encoded bytes, which saves a pass over the text and a copy of it.
    QByteArray utf8 = editorText.toUtf8();
    char* const begin = utf8.data();
    char* const end = begin + utf8.size();
    char* from = static_cast<char*>(std::memchr(begin, '\xE2', size_t(end - begin)));
    if (!from)
        return utf8;
    char* to = from;
    while (from < end) {
        if (end - from >= 3 && from[0] == '\xE2' && from[1] == '\x80' &&
            (from[2] == '\xA8' || from[2] == '\xA9')) {
            *to++ = '\n';
            from += 3;
            continue;
        }
        char* next = static_cast<char*>(std::memchr(from + 1, '\xE2', size_t(end - from - 1)));
        if (!next)
            next = end;
        std::memmove(to, from, size_t(next - from));
        to += next - from;
        from = next;
    }
    utf8.truncate(to - begin);
    return utf8;
}
