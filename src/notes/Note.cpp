#include "notes/Note.h"

#include "data/DbAccess.h"
#include "data/Sql.h"

TNote Note;

namespace {
const QString TypeIdField = QStringLiteral("TypeID");
const QString ReMarkField = QStringLiteral("ReMark");
} // namespace

bool TNote::NoteExists(const QString& key)
{
    SqlText = Sql::Format(SqlTemplate::NoteExists, {Sql::Key(key)});
    return DbQueryInteger(SqlText) > 0;
}

void TNote::LoadNote(const QString& key)
{
    SqlText = Sql::Format(SqlTemplate::LoadNote, {Sql::Key(key)});
    DbAccess->OpenQuery(SqlText);
    TypeID = key.trimmed().toInt();
    ReMark = DbAccess->QuerySet().AsString(ReMarkField);
}

void TNote::AddNote()
{
    DbAccess->OpenQuery(QString::fromUtf16(SqlTemplate::AddNote));
    TResultSet& set = DbAccess->QuerySet();
    set.Append();
    set.SetInteger(TypeIdField, TypeID);
    set.SetString(ReMarkField, ReMark);
    set.Post();
}

void TNote::UpdateNote()
{
    SqlText = Sql::Format(SqlTemplate::UpdateNote, {Sql::Number(TypeID)});
    DbAccess->OpenQuery(SqlText);
    TResultSet& set = DbAccess->QuerySet();
    set.Edit();
    set.SetString(ReMarkField, ReMark);
    set.Post();
}

void TNote::DeleteNote(const QString& key)
{
    SqlText = Sql::Format(SqlTemplate::DeleteNote, {Sql::Key(key)});
    DbExecute(SqlText);
}

void SaveNoteText(const QString& key, const QString& text)
{
    if (Note.NoteExists(key)) {
        Note.LoadNote(key);
        if (Note.ReMark == text)
            return;
        Note.TypeID = key.trimmed().toInt();
        Note.ReMark = text;
        Note.UpdateNote();
    } else {
        Note.TypeID = key.trimmed().toInt();
        Note.ReMark = text;
        Note.AddNote();
    }
}
