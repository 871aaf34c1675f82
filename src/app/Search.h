#pragma once

#include "groups/GroupRows.h"

#include <QCoreApplication>
#include <QHash>
#include <QString>
#include <QStringView>

#include <array>
#include <utility>
#include <vector>

class TDbAccess;

// One place a search found its text.
struct TSearchHit
{
    enum class TKind
    {
        Note,
        Address
    };
    TKind Kind = TKind::Note;
    int Rank = 0;          // 0 a group's name, 1 an address's title, 2 anything else
    qint32 Group = 0;      // the group's number in its tree; 0 for the root
    QString AddressId;     // the address's ID; empty for a group's name and for a note
    qsizetype Offset = -1; // where the match starts in the note's text; -1 when not in a note
    QString Path;          // the group's path, "根目录->工作->项目"
    QString Context;       // the matching text with some text around it, on one line
    qsizetype MarkFrom = 0;
    qsizetype MarkLength = 0;
};

// Where query first stands in text at or after from: letters a to z match in either case,
// every other character only itself. -1 when it does not.
qsizetype FindFolded(QStringView text, QStringView query, qsizetype from = 0);

// One search of every group name, note and address, done in short steps so that the window
// keeps answering between them: group names first, then the addresses, then the notes a part at
// a time. It stops early once enough results of the best kinds are in.
class TSearchRun final
{
    Q_DECLARE_TR_FUNCTIONS(TSearchRun)

public:
    // The results a search lists at most.
    static constexpr int MostHits = 100;

    // Searches the data behind the given connection.
    TSearchRun(TDbAccess& dbAccess, QString query, int limit = MostHits);

    // Does the next part; false when the search is complete.
    bool Step();
    bool Done() const { return FStage == TStage::Done; }
    // The results so far, best first (group names, then titles, then the rest), at most limit.
    std::vector<TSearchHit> Hits() const;
    const QString& Query() const { return FQuery; }

private:
    enum class TStage
    {
        NoteGroups,
        AddressGroups,
        Addresses,
        Notes,
        Done
    };
    // Lists the groups whose names match, and keeps the table's paths for the later stages.
    TGroupPaths LoadGroups(const QString& table, TSearchHit::TKind kind);
    void SearchAddresses();
    void SearchNotes();
    void Add(TSearchHit hit, const QString& text, qsizetype at);
    int Count(int maxRank) const;

    TDbAccess& FDbAccess;
    QString FQuery;
    QString FPattern; // for LIKE
    int FLimit;
    TStage FStage = TStage::NoteGroups;
    TGroupPaths FNoteGroups;
    TGroupPaths FAddressGroups;
    qint64 FAfter = 0; // the last ID or row searched in the current stage
    qint64 FLast = 0;  // the last there is
    QHash<qint32, bool> FNotesSeen;
    std::array<std::vector<TSearchHit>, 3> FHits; // by rank
};
