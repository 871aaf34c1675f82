#pragma once

#include <QObject>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QTimer;
class TDbAccess;
class TUserDialogs;

// The copies of the data file that sync programs leave beside it when it was changed in two
// places, by the names they give them: Syncthing's "bookkeep.sync-conflict-*.dat", Nextcloud's
// "bookkeep (conflicted copy *).dat" and Dropbox's "bookkeep (* conflicted copy *).dat". At start
// and whenever one appears in the data file's folder they are offered for merging, once for each
// set of them (a No is remembered in the user's settings). Yes merges each as an import and
// moves it into "同步冲突副本/YYYY-MM-DD/" beside the data file: a copy is never deleted.
class TConflictCopies final : public QObject
{
    Q_OBJECT

public:
    TConflictCopies(TDbAccess& dbAccess, TUserDialogs& dialogs, QObject* parent = nullptr);

    // Whether the offer must wait (a dialog is open, the program is locked): it is made later.
    std::function<bool()> Busy;
    // Runs before the merges: what is on screen is saved first.
    std::function<void()> BeforeMerge;

    // Watches the data file's folder and looks at once.
    void Start();
    // Offers the copies in the folder that have not been offered in this set before.
    void Look();

    // The conflict copies in a folder, by name.
    static QStringList Find(const QString& folder);
    // The computer a copy came from, where its name says so (Syncthing's device id, the computer
    // of Dropbox's copy); else the copy's name.
    static QString SourceOf(const QString& name);
    // The folder the copies merged on a day go to.
    static QString KeptFolder(const QString& dataFolder, const QDate& day);

Q_SIGNALS:
    // A merge changed the data file.
    void Merged();

private:
    // Moves a merged copy into the day's folder under a name free there; the reason on failure.
    QString Keep(const QString& name, const QString& folder) const;

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    QFileSystemWatcher* FWatcher = nullptr;
    QTimer* FDelay = nullptr;
    bool FOffering = false;
};
