#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>

// The filter of both bookmark file dialogs.
QString BookmarkFileFilter();

struct TBookmarkImport
{
    int Addresses = 0;  // addresses added
    int Groups = 0;     // groups made from the file's folders
    int Duplicates = 0; // links whose address was already stored
    int NonWeb = 0;     // links that are not web or file addresses
};

// Adds the bookmarks of a browser's bookmark file to the address tree: one new group
// "导入的书签 YYYY-MM-DD" (numbered when the name is taken) holds the file's folders as nested
// groups and its links as addresses. Addresses already stored anywhere are left out. All of it
// is one batch: an unreadable file or a failed statement adds nothing.
TBookmarkImport ImportBookmarks(const QByteArray& bytes, const QDate& today);

// The whole address tree as a bookmark file: groups as folders, addresses as links, those of no
// (or of a missing) group at the top level.
QByteArray ExportBookmarks();

// "导入书签…": lets the user choose a file, imports it and says what was imported. True when
// groups or addresses were added and the address page must be read again.
bool ImportBookmarksCommand();

// "导出书签…": lets the user name a file and writes the address tree to it; an existing file is
// replaced only after the user agreed.
void ExportBookmarksCommand();
