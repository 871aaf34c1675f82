#pragma once

#include <QString>

// Merges two texts that grew from one common text, line by line: where only one side changed a
// stretch of lines its change is taken, where both changed it alike once; where both changed it
// differently (a clash) the preferred side's lines stay.
namespace LineMerge {

struct TResult
{
    QString Text;
    bool Clash = false;
};

TResult Merge(const QString& base, const QString& ours, const QString& theirs, bool preferOurs);

} // namespace LineMerge
