#include "notes/Note.h"

#include "data/DbAccess.h"
#include "data/Prepared.h"
#include "data/Sql.h"

namespace {
const QString TypeIdField = QStringLiteral("TypeID");
const QString ReMarkField = QStringLiteral("ReMark");

// The editor's writes: the row is named by its rowid and checked to be the group's still, so a
// rowid that another group's row took over is never written.
constexpr char UpdateRow[] = "update NoteBook set ReMark=? where rowid=? and TypeID=?";
constexpr char FirstRow[] = "select rowid from NoteBook where TypeID=? order by rowid limit 1";
constexpr char InsertRow[] = "insert into NoteBook(TypeID,ReMark) values(?,?)";
} // namespace

bool TNote::HasText(const QString& key)
{
    return FDbAccess.QueryInteger(Sql::Format(SqlTemplate::NoteWithText, {Sql::Key(key)})) > 0;
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
