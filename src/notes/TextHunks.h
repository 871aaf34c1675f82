#pragma once

#include <QString>

#include <optional>
#include <vector>

// The stretches of whole lines in which one text differs from another, for changing a shown
// text into another in place: the lines both hold stay untouched, and with them a caret or a
// selection on them.
struct TTextHunk
{
    qsizetype At = 0;     // where the stretch starts in the first text
    qsizetype Length = 0; // how much of the first text it replaces
    QString Text;         // what takes its place
};

// In order, none overlapping; empty when the texts are equal. Lines are kept apart by line
// feeds.
std::vector<TTextHunk> LineHunks(const QString& from, const QString& to);

// The merge of two texts grown from one, for the usual case: each changed one stretch of lines
// (everything between its first and last changed line) and the stretches are apart, with at
// least one line neither changed between them. Then the result holds both changes, as a line by
// line merge would; otherwise there is none. It costs a few passes over the texts.
std::optional<QString> MergeApart(const QString& base, const QString& ours, const QString& theirs);
