#pragma once

#include <QString>

// The names of the places that keep what a merge could not put in its own place. They are written
// into the data, like an import's group names: the same in every language.
namespace ConflictNames {

// The sibling group that holds a note's other text: "<组名>（冲突副本 <来源> YYYY-MM-DD）", the
// day as the clock here reads it. now is ms since the epoch.
QString NoteCopyGroup(const QString& group, const QString& source, qint64 now);
// What the names of a group's note copies begin with, whatever their source and day.
QString NoteCopyPrefix(const QString& group);

// The top address group "同步冲突" that holds an address's other version, and its id in the sync
// records, the same in every copy.
QString AddressGroup();
QString AddressGroupId();

} // namespace ConflictNames
