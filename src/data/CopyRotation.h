#pragma once

#include <QString>

class QDateTime;
class QRegularExpression;

// Copies kept under dated names beside one another: the oldest go when there are too many.

// Moves a file aside to "<stem>-yyyyMMdd-hhmmss<suffix>" in its folder, named after the time it
// was last written (later than every copy already there, so the names sort as the copies were
// made). Nothing happens when the file does not exist. Returns the reason on failure.
QString SetAsideAsDated(const QString& path);

// Removes the files of a folder whose names match the pattern, all but the last `keep` in name
// order. Files that cannot be removed stay.
void PruneCopies(const QString& folder, const QRegularExpression& pattern, int keep);
