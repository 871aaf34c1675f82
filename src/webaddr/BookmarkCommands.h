#pragma once

#include "webaddr/BookmarkImport.h"

#include <QByteArray>
#include <QDate>
#include <QString>

// The filter of both bookmark file dialogs.
QString BookmarkFileFilter();

class TDbAccess;
class TUserDialogs;
struct TBrowserProfile;

// What a long import tells as it goes: how much of the file is read, and whether the user
// cancelled.
class TImportProgress
{
public:
    virtual ~TImportProgress() = default;
    // False when the user cancelled.
    virtual bool Advance(qint64 done, qint64 total) = 0;
};

// Adds the bookmarks of a browser's bookmark file to the address tree under one new group
// "导入的书签 YYYY-MM-DD", by the rules of TBookmarkImporter. The file is read a piece at a time,
// so its size doesn't matter. A file that cannot be read, a failed statement or a cancel (the
// silent abort) adds nothing.
TBookmarkImport ImportBookmarkFile(TDbAccess& dbAccess, const QString& path, const QDate& today,
                                   TImportProgress* progress = nullptr);
// The same from a file's bytes.
TBookmarkImport ImportBookmarks(TDbAccess& dbAccess, const QByteArray& bytes, const QDate& today);
// A browser profile's bookmarks under a new group "从 Firefox 导入 YYYY-MM-DD".
TBookmarkImport ImportBrowserProfile(TDbAccess& dbAccess, const TBrowserProfile& profile,
                                     const QDate& today);

// The summary box's text.
QString ImportSummary(const TBookmarkImport& done);

// The whole address tree as a bookmark file: groups as folders, addresses as links, those of no
// (or of a missing) group at the top level.
QByteArray ExportBookmarks(TDbAccess& dbAccess);

// "导入书签…": lets the user choose a file, imports it behind a progress dialog whose Cancel
// imports nothing, and says what was imported. True when the address page must be read again.
bool ImportBookmarksCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);

// "从浏览器导入书签…": lists the browser profiles found under the home folder, imports the one
// chosen and says what was imported; with none found it offers the file import instead. True
// when the address page must be read again.
bool ImportFromBrowserCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);

// "导出书签…": lets the user name a file and writes the address tree to it; an existing file is
// replaced only after the user agreed.
void ExportBookmarksCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);
