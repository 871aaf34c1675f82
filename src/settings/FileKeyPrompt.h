#pragma once

#include "data/FileKey.h"

#include <QString>

#include <optional>

class TUserDialogs;

// The key that opens another of the program's files (a backup, a copy from another computer):
// the data file's own key, then the standard key, then one derived from the password the user
// gives under the caption. Where a file fails for another reason than its key (no database, a
// damaged one, not keyed at all) the data file's key comes back, and opening with it says what
// is wrong. Nothing when the user cancels the prompt.
std::optional<TFileKey> KeyForFile(const TFileKey& current, TUserDialogs& dialogs,
                                   const QString& path, const QString& caption);
