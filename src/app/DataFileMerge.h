#pragma once

#include "sync/ImportMerge.h"

#include <QString>

#include <optional>

class TDbAccess;
class TUserDialogs;

// Another of the program's data files (a sync program's conflict copy, a copy on a USB stick, an
// old backup) merged into the data file as an import, on a connection of its own: what the data
// file lacks comes in, nothing in it is deleted. The other file is opened with the data file's
// key, the standard key or the password the user gives for it. Nothing when the user cancelled
// the password prompt; a file that cannot be merged is named in the report's Refused, the data
// file as it was. A failure to write throws EDBException. The conflict copies name the source,
// or else the file.
std::optional<ImportMerge::TReport> MergeDataFile(TDbAccess& dbAccess, TUserDialogs& dialogs,
                                                  const QString& path,
                                                  const QString& source = QString());

// What a merge of the file did, or why it was refused, in a sentence for the user.
QString MergeOutcome(const QString& path, const std::optional<ImportMerge::TReport>& report);

// Whether a merge changed the data file.
bool MergeChanged(const std::optional<ImportMerge::TReport>& report);

// "合并另一个数据文件…": asks for a file, merges it and says what came of it. The data file
// itself is refused. True when the data changed: the window must then show it again.
bool MergeDataFileCommand(TDbAccess& dbAccess, TUserDialogs& dialogs);
