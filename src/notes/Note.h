#pragma once

#include <QString>

// The note store: a one-record buffer between the note editor and table NoteBook, which holds at
// most one note text per note group, keyed by the group's number (0 for the root). Keys are
// handed in as decimal text.
class TNote final
{
public:
    qint32 TypeID = 0; // the group's number
    QString ReMark;    // the note text
    QString SqlText;   // the statement built last (AddNote leaves it alone)

    // Whether the group has a note row.
    bool NoteExists(const QString& key);
    // Reads the group's note into TypeID and ReMark; no row (or a null text) reads as "".
    void LoadNote(const QString& key);
    // Appends a row from TypeID and ReMark.
    void AddNote();
    // Writes ReMark into the first row of TypeID.
    void UpdateNote();
    // Deletes every row of the group.
    void DeleteNote(const QString& key);
};

// The program's one note store.
extern TNote Note;

// The editor's save step for one change: the group's row is re-read and written only when its
// text differs from the editor's; a group without a row gets one.
void SaveNoteText(const QString& key, const QString& text);
