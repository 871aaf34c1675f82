#pragma once

#include <QObject>

#include <functional>

class QLabel;
class QPushButton;
class QTimer;
class QWidget;
class TDbAccess;
class TStatusLine;
class TSyncService;
class TUserDialogs;

// The main window's side of the exchange with other computers: turns it on and off, starts and
// stops it with the data file (the login, the lock, the close), asks the user what the exchange
// needs to know, and shows how it stands in the bottom bar, with a note that does not block when
// a merge kept two versions of something.
class TSyncLink final : public QObject
{
    Q_OBJECT

public:
    // The conflict note goes into the bar beside the status line.
    TSyncLink(TDbAccess& dbAccess, TUserDialogs& dialogs, TStatusLine* statusLine, QWidget* bar);
    ~TSyncLink() override;

    // Starts the exchange when it is turned on and the data file is open; a running one starts
    // again (the data file or its key changed).
    void Start();
    // Writes this computer's file one last time and stops, within a bounded wait: before the
    // data file's key is forgotten.
    void Stop();
    // "多台电脑同步…"
    void SyncClick();

    TSyncService& Service() const { return *FService; }
    QWidget* ConflictNote() const;

    // "查看" on the conflict note: show the groups that keep the other versions.
    std::function<void()> ShowConflicts;

signals:
    // A merge changed the data: what the window shows follows.
    void DataChanged();

private:
    void ShowStatus();
    void ConflictsKept(int count);

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    TStatusLine* FStatusLine;
    TSyncService* FService;
    QWidget* pnlConflicts = nullptr;
    QLabel* lblConflicts = nullptr;
    QPushButton* btnShowConflicts = nullptr; // "查看"
    QTimer* FMinute = nullptr;               // "N 分钟前" goes on
};
