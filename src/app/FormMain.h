#pragma once

#include "data/RecycleBin.h"
#include "notes/Note.h"
#include "settings/Config.h"
#include "webaddr/IE.h"

#include <QPointer>
#include <QWidget>

#include <chrono>

class QAction;
class QCheckBox;
class QMenu;
class QPushButton;
class QSessionManager;
class QSystemTrayIcon;
class QTabWidget;
class QTimer;
class TDataFileFollow;
class TDbAccess;
class TConflictCopies;
class TFormShortcuts;
class TNotePage;
class TSearchBox;
class TStatusLine;
class TSyncLink;
class TUserDialogs;
class TWebAddrPage;
class TWindowState;

// The application title: the main window's caption and the name of the run-at-login entry.
QString ApplicationTitle();

// The product home page, opened by both "软件主页" items; a bare host name.
QString HomePage();

// The main window: the notebook page "记事本", the web address page "网址管理", the bottom bar
// with "开机运行" and "软件设置", and the notification-area icon with its menu. It keeps the note,
// address and settings stores over the connection it is given, which must outlive it, and hands
// them to the pages and commands.
class TIdleWatch;

class TFormMain final : public QWidget
{
    Q_OBJECT

public:
    // Works on the given connection and asks the user through the given dialogs.
    TFormMain(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormMain() override;

    // The first showing: settings and login, then the first loading of both pages. False when
    // the program must end (the login was refused). What the first paint shows is read here:
    // the trees' roots and the root's note. The groups load in short steps once the event loop
    // runs, so that the window answers meanwhile; then the trees open as they were left.
    bool FormShow();
    bool Loading() const;
    // Loads the rest at once: commands that work on whole pages come after the loading.
    void FinishLoading();
    // Shows the window as it was left: maximised or at its remembered place.
    void ShowAsRemembered();

    // Brings the window back from the notification area or the taskbar, in front; a locked
    // program first asks for the password.
    void BringWindowBack();
    // "锁定" (Ctrl+L): saves the note, closes the data file, empties both pages and the search,
    // and hides the window; the tray icon stays, and where the desktop has no notification area
    // the unlock prompt shows at once in the window's place. Only with a login password, and
    // not while a dialog or a menu is open.
    void LockClick();
    bool Locked() const { return FLocked; }
    // The same close request as the window's close button.
    void NCloseClick();
    void chkRunAtLoginClick();
    // The settings menu: at the pointer after a mouse click, dropping down from the button
    // after Space or Enter.
    void btnSystemClick();
    // "键盘快捷键" (F1): the key list, one at a time.
    void ShortcutsClick();
    void HomePageClick();
    void SettingsClick(); // "软件设置"
    void BackupClick();   // "数据备份"
    void RestoreClick();  // "数据恢复"
    // "导入书签…"; the address page then shows the new groups and addresses.
    void ImportBookmarksClick();
    // "从浏览器导入书签…", the same for a browser profile's bookmarks.
    void ImportFromBrowserClick();
    // "合并另一个数据文件…": another data file's content brought in; the pages then show it.
    void MergeDataFileClick();
    // "回收站…": what was deleted, to put back or erase; the pages show what comes back.
    void RecycleBinClick();

    // Shows what another connection (a merge of another computer's copy, an import of a
    // conflict copy, the reopening of a replaced data file) changed in the data file, losing
    // nothing the user does: both trees keep their selected group, open branches and scroll,
    // the address list its current address, the shown note becomes a merge of the stored one and
    // the editor's text (typing included) and is saved, and the search results are found again.
    // It works in short steps between the window's events, as the first loading does; a second
    // call meanwhile starts it again.
    void FollowOutsideChange();
    bool Following() const;
    // Does the rest of the following at once.
    void FinishFollowing();

    TFormShortcuts* Shortcuts() const;
    // The settings in force: those read at the login, or saved or restored since.
    TConfig& Config() { return FConfig; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Both pages' first loading, and its steps.
    void LoadPages();
    void StartLoadSteps();
    void LoadStep();
    void EndLoading();
    void FollowStep(std::chrono::nanoseconds budget);
    // After a restore replaced the data: the trees, the address list and the note again.
    void ReloadPages();
    // "查看" on the sync conflict note: the group that keeps the other versions, selected.
    void ShowSyncConflicts();
    // Stops the exchange with other computers around a replacement of the data file.
    bool PauseSync();
    // After a restore from the recycle bin: the window reads the data again and shows what came
    // back.
    void ShowRestored(const TRecycleBin::TRestored& restored);
    // After an import: the address tree and the list read again.
    void ShowImportedBookmarks();
    void FitOuterSize();
    void AddTrayIcon();
    // The menus, their items and the tray icon by their member names.
    void NameActions();
    void RemoveTrayIcon();
    void AppMinimize();
    // Whether the desktop shows the notification-area icon, the way back to a hidden window.
    bool TrayShown() const;
    void ShowInFront();
    // The unlock prompt in place of the window: the window comes back with the password, and
    // the program ends without it.
    void UnlockInPlace();
    // Asks "确定要退出程序吗？" unless the exit is confirmed; remembers a Yes so that the same
    // exit is not asked twice.
    bool FormCloseQuery();
    void CommitData(QSessionManager& manager);
    // Asks for the password and brings the data back as it was at the lock; false while the
    // program stays locked.
    bool Unlock();
    // The lock's items follow the login password; the idle time and the minimise rule follow
    // the settings.
    void ApplyLockSettings();

    // The window's controls, each with its name as object name: tests and tools find them by it.
    QTabWidget* PageTabs = nullptr;
    QWidget* NotePageTab = nullptr; // "记事本"
    QWidget* WebAddrTab = nullptr;  // "网址管理"
    TNotePage* NotePage = nullptr;
    TWebAddrPage* WebAddrPage = nullptr;
    QWidget* pnlBottomBar = nullptr;
    TSearchBox* SearchBox = nullptr; // "搜索笔记和网址", Ctrl+K
    QCheckBox* chkRunAtLogin = nullptr;
    QPushButton* btnSystem = nullptr;
    TStatusLine* StatusLine = nullptr; // what the last backup, restore or setting did

    QSystemTrayIcon* TrayIcon = nullptr;
    QMenu* PopupMenu = nullptr; // the icon's menu
    QAction* actTrayHomePage = nullptr;
    QAction* actShowWindow = nullptr;
    QAction* NClose = nullptr;
    QAction* actTrayLock = nullptr;
    QMenu* pmSystem = nullptr; // the settings button's menu
    QAction* actHomePage = nullptr;
    QAction* actSettings = nullptr;
    QAction* actLock = nullptr;
    QAction* actBackup = nullptr;
    QAction* actRestore = nullptr;
    QAction* actImportBookmarks = nullptr;
    QAction* actImportFromBrowser = nullptr;
    QAction* actExportBookmarks = nullptr;
    QAction* actExportNotes = nullptr;
    QAction* actMergeDataFile = nullptr;
    QAction* actRecycleBin = nullptr;
    QAction* actSync = nullptr;       // "多台电脑同步…"
    QAction* actShortcuts = nullptr;  // "键盘快捷键", F1
    QAction* actAbout = nullptr;      // "关于 Velmora"
    QAction* actSystemMenu = nullptr; // F10 opens pmSystem

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
    TNote FNote;
    TIE FIEStore;
    TConfig FConfig;
    TWindowState* FWindowState = nullptr;
    QTimer* FLoadTimer = nullptr;
    QTimer* FFollowTimer = nullptr;
    bool FLoadWaitsForPaint = false;
    // A key or a click came while the groups loaded: the user's choice of group stands.
    bool FUserActed = false;
    QSize FOuterSize;
    bool FSized = false;
    bool FExitConfirmed = false;
    bool FSessionEndAgreed = false;
    TIdleWatch* FIdleWatch = nullptr;
    TConflictCopies* FConflictCopies = nullptr;
    bool FLocked = false;
    bool FLockedEncrypted = false; // the data file was encrypted with the password at the lock
    bool FLockOnMinimize = false;
    bool FUnlocking = false; // the unlock prompt is up
    bool FSystemClickedByMouse = false;
    QPointer<TFormShortcuts> FShortcuts;
    TDataFileFollow* FDataFileFollow = nullptr;
    TSyncLink* FSync = nullptr;
};
