#pragma once

#include "data/DbWriter.h"
#include "data/FileKey.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

class QTimer;
class TDbAccess;
class TUserDialogs;

// Notices, once a second, that another program put a file of its own in the data file's place
// (a sync program renaming its copy over it, a file copied from another computer) or took its
// name away, while this program keeps the old file open and could write to it no more. A new
// Velmora file is taken as the data file, and what only the old one had, the typing not yet
// on disk included, is merged into it; a file that is no Velmora file, or whose password the
// user does not give, is moved aside and the old file gets its name back, as it does when the
// name was taken away. Before anything else the old file is copied whole, with the typing, into
// "同步冲突副本/<date>/", which is never removed: whatever fails later, nothing is lost.
class TDataFileFollow final : public QObject
{
    Q_OBJECT

public:
    struct THooks
    {
        // The typing the editor holds that is not on disk yet (see TNoteSaver::TakeUnwritten).
        std::function<TDbWriter::TWork()> Unwritten;
        // The window shows the data again, the data file having changed under it.
        std::function<void()> Follow;
        // A message in the bottom bar.
        std::function<void(const QString&)> Say;
        // The name of this computer in the groups that keep a version the merge could not join.
        QString ComputerName;
        // ms since the epoch
        std::function<QDateTime()> Clock = &QDateTime::currentDateTime;
    };

    static constexpr std::chrono::milliseconds Interval{1000};

    TDataFileFollow(TDbAccess& dbAccess, TUserDialogs& dialogs, THooks hooks, QObject* parent);

    void Start();
    // Looks at the data file's name once, and follows a change.
    void Check();

private:
    // The open file copied whole with the typing; empty on failure, said in the log.
    QString KeepOpenFile(const std::vector<TDbWriter::TWork>& typing);
    void TakeNewFile(const QString& kept, const std::vector<TDbWriter::TWork>& typing);
    // The old file gets its name back and the typing; what was at the name (when set) is moved
    // aside, next to the kept copy.
    void PutBack(const QString& kept, const std::vector<TDbWriter::TWork>& typing, bool moveAside);
    // The key that opens the file now at the data file's name as a Velmora file, asking the
    // user for its password where neither key at hand opens it; none, and the reason, when the
    // file can't be taken.
    std::optional<TFileKey> KeyOfNewFile(QString* refusal);

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    THooks FHooks;
    QTimer* FTimer;
    bool FBusy = false;
    QString FLastFailure; // logged once
    // The typing taken from the editor, oldest first, until it is in the copy of the old file.
    std::vector<TDbWriter::TWork> FTyping;
};
