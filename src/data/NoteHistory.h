#pragma once

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

struct sqlite3;

// Earlier versions of the notes, kept in the data file beside them (table NoteHistory), so that
// a text replaced or removed by mistake can be had back. A version holds the note's text as
// stored (UTF-8 with line feeds), compressed, with its length and first line beside it for the
// list. How many are kept: every version of the last day, then the newest of each day for a
// month, then the newest of each week for a year; and all of them together take no more than a
// fifth of the file (at least BudgetFloor), the oldest going first. A note's newest version is
// never thinned away. Versions of a note in the recycle bin are left alone. Works on the
// connection it is given, on whatever thread owns it; failures throw EDBException.
class TNoteHistory final
{
public:
    // Wall-clock time in ms since the epoch.
    using TClock = std::function<qint64()>;

    struct TVersion
    {
        qint64 VersionId = 0;
        qint64 Saved = 0;  // ms since the epoch
        qint64 Length = 0; // in characters
        QString FirstLine;
    };

    static constexpr qint64 DayMs = 24 * 60 * 60 * 1000;
    // A small file would otherwise keep next to no history.
    static constexpr qint64 BudgetFloor = 4 * 1024 * 1024;

    // clock defaults to the system's wall clock.
    explicit TNoteHistory(sqlite3* connection, TClock clock = {});

    qint64 Now() const { return FClock(); }
    // Keeps a version of the note of group typeId (its text as stored) at the clock's time;
    // false, keeping nothing, when it equals the note's newest version.
    bool Keep(qint32 typeId, const QByteArray& utf8);
    // The note's versions, newest first, without unpacking them.
    std::vector<TVersion> List(qint32 typeId) const;
    // A version's text as stored; empty when there is none.
    QString Text(qint64 versionId) const;
    // Applies the keep rules to the note of typeId (to every note without one, whose group
    // is gone as well: its versions go), then the budget to all.
    void Thin(std::optional<qint32> typeId = std::nullopt);
    // What the versions take in the file, and what they may.
    qint64 StoredBytes() const;
    qint64 Budget() const;

    // Whether a save of after over before removes more than half of before: the text both
    // begin and end with is all that is left of it.
    static bool RemovesHalf(const QByteArray& before, const QByteArray& after);
    // A note's first line that holds more than blanks, as the list shows it.
    static QString FirstLine(const QString& text);
    // Runs work in one transaction on the connection, rolled back when it throws.
    static void InTransaction(sqlite3* connection, const std::function<void()>& work);

private:
    void ThinNote(qint32 typeId, qint64 now);
    void ThinToBudget();

    sqlite3* FConnection;
    TClock FClock;
};
