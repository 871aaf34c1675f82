#pragma once

#include <QByteArray>
#include <QString>

class TDbAccess;
class TPrepared;

// The note store: a one-record buffer between the note editor and table NoteBook, which holds at
// most one note text per note group, keyed by the group's number (0 for the root). Keys are
// handed in as decimal text.
class TNote final
{
public:
    explicit TNote(TDbAccess& dbAccess) : FDbAccess(dbAccess) {}

    qint32 TypeID = 0; // the group's number
    QString ReMark;    // the note text
    qint64 RowID = 0;  // the row LoadNote read; 0 when the group has none

    // Whether the group has a note row.
    bool NoteExists(const QString& key);
    // Whether the note group is in its table (the root always is).
    bool GroupExists(qint32 typeId);
    // Whether the group has a note that holds any text.
    bool HasText(const QString& key);
    // Reads the group's note into TypeID, ReMark and RowID; no row (or a null text) reads as "".
    // The query's copy of the text is let go at once.
    void LoadNote(const QString& key);
    // Appends a row from TypeID and ReMark.
    void AddNote();
    // Writes ReMark into the first row of TypeID.
    void UpdateNote();
    // Deletes every row of the group.
    void DeleteNote(const QString& key);

    // The editor's save of a whole note text for a group, with the row it was read from (0: the
    // group had none when it was shown). The usual case is one prepared UPDATE of that row.
    // When the row has gone or was never there, the group's first row is written, or a new row
    // appended. Returns the row written. The text comes in UTF-8, as it is stored. It runs on the
    // given connection's statements, the writer's among them, and touches no buffer.
    static qint64 StoreNote(TPrepared& db, qint32 typeId, qint64 rowId, const QByteArray& utf8);
    // What the guarded save returns when the stored note is no longer the text it was to
    // replace: another connection (a merge, an import) changed or deleted it, or the group.
    static constexpr qint64 ChangedElsewhere = -1;
    // The same, written only over the stored text expected (a missing row counts as an empty
    // text, while the group exists); each write is one statement, so nothing can come between
    // the check and the write.
    static qint64 StoreNote(TPrepared& db, qint32 typeId, qint64 rowId, const QByteArray& utf8,
                            const QByteArray& expected);

    // The note editor's raw text, its lines kept apart by separator characters, as the note
    // stores it: in UTF-8 with line feeds. Safe on any thread.
    static QByteArray StoredUtf8(const QString& editorText);

private:
    TDbAccess& FDbAccess;
};
