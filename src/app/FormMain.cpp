#include "app/FormMain.h"

#include "app/AppIcon.h"
#include "app/Autostart.h"
#include "app/ConflictCopies.h"
#include "app/DataFileFollow.h"
#include "app/DataFileMerge.h"
#include "app/FormAbout.h"
#include "app/FormRecycleBin.h"
#include "app/FormShortcuts.h"
#include "app/IdleWatch.h"
#include "app/MenuPlace.h"
#include "app/SearchBox.h"
#include "app/SessionEnd.h"
#include "app/Startup.h"
#include "app/SyncLink.h"
#include "app/SyncedFolder.h"
#include "app/WindowState.h"
#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/DailyLog.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "controls/StatusLine.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"
#include "notes/NoteExport.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"
#include "settings/BackupCommands.h"
#include "settings/FormConfig.h"
#include "settings/LockSettings.h"
#include "settings/Login.h"
#include "sync/SyncService.h"
#include "webaddr/BookmarkCommands.h"
#include "webaddr/WebAddrPage.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QDate>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QSessionManager>
#include <QSysInfo>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTimer>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <chrono>
#include <utility>

namespace {
constexpr int OuterWidth = 800;
constexpr int OuterHeight = 520;
} // namespace

QString ApplicationTitle()
{
    return QStringLiteral("Velmora");
}

QString HomePage()
{
    return QStringLiteral("www.velmora.app");
}

TFormMain::TFormMain(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent)
    : QWidget(parent), FDbAccess(dbAccess), FDialogs(dialogs), FNote(dbAccess), FIEStore(dbAccess),
      FConfig(dbAccess)
{
    setObjectName(QStringLiteral("FormMain"));
    setWindowTitle(ApplicationTitle());
    setWindowIcon(MainIcon());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    PageTabs = new QTabWidget(this);
    PageTabs->setObjectName(QStringLiteral("PageTabs"));
    PageTabs->setAccessibleName(tr("页面"));
    PageTabs->setAccessibleDescription(tr("记事本和网址管理两页；Ctrl+Tab 切换"));
    NotePageTab = new QWidget;
    WebAddrTab = new QWidget;
    for (QWidget* page : {NotePageTab, WebAddrTab}) {
        auto* pageLayout = new QVBoxLayout(page);
        pageLayout->setContentsMargins(0, 0, 0, 0);
    }
    NotePage = new TNotePage(FDbAccess, FDialogs, FNote, NotePageTab);
    NotePageTab->layout()->addWidget(NotePage);
    WebAddrPage = new TWebAddrPage(FIEStore, FDialogs, WebAddrTab);
    WebAddrTab->layout()->addWidget(WebAddrPage);
    PageTabs->addTab(NotePageTab, tr("记事本"));
    PageTabs->addTab(WebAddrTab, tr("网址管理"));
    PageTabs->setCurrentIndex(0);
    NotePageTab->setAccessibleName(tr("记事本"));
    WebAddrTab->setAccessibleName(tr("网址管理"));
    layout->addWidget(PageTabs, 1);

    pnlBottomBar = new QWidget(this);
    pnlBottomBar->setFixedHeight(25);
    auto* bar = new QHBoxLayout(pnlBottomBar);
    bar->setContentsMargins(8, 0, 23, 0);
    bar->setSpacing(5);
    StatusLine = new TStatusLine(pnlBottomBar);
    bar->addSpacing(8);
    bar->addWidget(StatusLine, 1);
    chkRunAtLogin = new QCheckBox(tr("开机运行"), pnlBottomBar);
    btnSystem = new QPushButton(tr("软件设置"), pnlBottomBar);
    btnSystem->setFixedSize(75, 25);
    chkRunAtLogin->setObjectName(QStringLiteral("chkRunAtLogin"));
    chkRunAtLogin->setAccessibleName(tr("开机运行"));
    chkRunAtLogin->setAccessibleDescription(tr("登录桌面时自动启动 Velmora"));
    btnSystem->setObjectName(QStringLiteral("btnSystem"));
    btnSystem->setAccessibleName(tr("软件设置"));
    btnSystem->setAccessibleDescription(
        tr("打开菜单：软件主页、设置、锁定、备份、恢复、导入导出、键盘快捷键、关于"));
    StatusLine->setObjectName(QStringLiteral("StatusLine"));
    StatusLine->setAccessibleName(tr("状态"));
    SearchBox = new TSearchBox(FDbAccess, this, PageTabs, NotePage, WebAddrPage);
    bar->insertWidget(0, SearchBox);
    bar->addWidget(chkRunAtLogin);
    bar->addWidget(btnSystem);
    layout->addWidget(pnlBottomBar);

    pmSystem = new QMenu(this);
    // A greyed item tells why.
    pmSystem->setToolTipsVisible(true);
    actHomePage = pmSystem->addAction(tr("软件主页"));
    pmSystem->addSeparator();
    actSettings = pmSystem->addAction(tr("软件设置"));
    actLock = pmSystem->addAction(tr("锁定"));
    actLock->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    // The key works anywhere in the window, not only in the open menu.
    addAction(actLock);
    pmSystem->addSeparator();
    actBackup = pmSystem->addAction(tr("数据备份"));
    actRestore = pmSystem->addAction(tr("数据恢复"));
    ConnectGuarded(actHomePage, &QAction::triggered, this, [this] { HomePageClick(); });
    ConnectGuarded(actSettings, &QAction::triggered, this, [this] { SettingsClick(); });
    ConnectGuarded(actLock, &QAction::triggered, this, [this] { LockClick(); });
    ConnectGuarded(actBackup, &QAction::triggered, this, [this] { BackupClick(); });
    ConnectGuarded(actRestore, &QAction::triggered, this, [this] { RestoreClick(); });
    actImportBookmarks = pmSystem->addAction(tr("导入书签…"));
    actImportFromBrowser = pmSystem->addAction(tr("从浏览器导入书签…"));
    actExportBookmarks = pmSystem->addAction(tr("导出书签…"));
    actExportNotes = pmSystem->addAction(tr("导出笔记…"));
    actSync = pmSystem->addAction(tr("多台电脑同步…"));
    actMergeDataFile = pmSystem->addAction(tr("合并另一个数据文件…"));
    actRecycleBin = pmSystem->addAction(tr("回收站…"));
    pmSystem->addSeparator();
    actShortcuts = pmSystem->addAction(tr("键盘快捷键"));
    actShortcuts->setShortcut(QKeySequence(Qt::Key_F1));
    addAction(actShortcuts);
    // The menu shows each key beside its item, whatever the desktop's default for menus.
    for (QAction* keyed : {actLock, actShortcuts})
        keyed->setShortcutVisibleInContextMenu(true);
    actAbout = pmSystem->addAction(tr("关于 Velmora"));
    // F10, the desktop's key for a window's menu, drops the settings menu from its button
    // wherever the focus is.
    actSystemMenu = new QAction(this);
    actSystemMenu->setShortcut(QKeySequence(Qt::Key_F10));
    addAction(actSystemMenu);
    ConnectGuarded(actSystemMenu, &QAction::triggered, this, [this] {
        FSystemClickedByMouse = false;
        btnSystemClick();
    });
    ConnectGuarded(actShortcuts, &QAction::triggered, this, [this] { ShortcutsClick(); });
    ConnectGuarded(actAbout, &QAction::triggered, this,
                   [this] { ShowAboutDialog(FDbAccess, FDialogs, this); });
    ConnectGuarded(actImportBookmarks, &QAction::triggered, this,
                   [this] { ImportBookmarksClick(); });
    ConnectGuarded(actImportFromBrowser, &QAction::triggered, this,
                   [this] { ImportFromBrowserClick(); });
    ConnectGuarded(actExportBookmarks, &QAction::triggered, this,
                   [this] { ExportBookmarksCommand(FDbAccess, FDialogs); });
    ConnectGuarded(actExportNotes, &QAction::triggered, this, [this] {
        NotePage->NoteSaver().SaveOrAsk();
        ExportNotesCommand(FDbAccess, FDialogs);
    });
    ConnectGuarded(actMergeDataFile, &QAction::triggered, this, [this] { MergeDataFileClick(); });
    ConnectGuarded(actRecycleBin, &QAction::triggered, this, [this] { RecycleBinClick(); });
    FConflictCopies = new TConflictCopies(FDbAccess, FDialogs, this);
    FConflictCopies->Busy = [this] {
        return FLocked || QApplication::activeModalWidget() || QApplication::activePopupWidget();
    };
    FConflictCopies->BeforeMerge = [this] {
        FinishLoading();
        NotePage->NoteSaver().SaveOrAsk();
    };
    ConnectGuarded(FConflictCopies, &TConflictCopies::Merged, this,
                   [this] { FollowOutsideChange(); });

    FSync = new TSyncLink(FDbAccess, FDialogs, StatusLine, pnlBottomBar);
    FSync->ShowConflicts = [this] {
        ShowSyncConflicts();
    };
    ConnectGuarded(FSync, &TSyncLink::DataChanged, this, [this] { FollowOutsideChange(); });
    ConnectGuarded(actSync, &QAction::triggered, this, [this] { FSync->SyncClick(); });

    // The check box reacts to the user's clicks only: mirroring the entry at start writes
    // nothing.
    ConnectGuarded(chkRunAtLogin, &QCheckBox::clicked, this, [this] { chkRunAtLoginClick(); });
    ConnectGuarded(btnSystem, &QPushButton::clicked, this, [this] { btnSystemClick(); });
    btnSystem->installEventFilter(this);
    ConnectGuarded(qApp, &QGuiApplication::commitDataRequest, this,
                   [this](QSessionManager& manager) { CommitData(manager); });

    FWindowState = new TWindowState(this, PageTabs, NotePage, WebAddrPage);
    const QRect outer = FWindowState->Placement(QRect(353, 259, OuterWidth, OuterHeight));
    FOuterSize = outer.size();
    resize(FWindowState->ClientSize(FOuterSize));
    move(outer.topLeft());
    FWindowState->RestoreLayout();

    FIdleWatch = new TIdleWatch(this);
    ConnectGuarded(FIdleWatch, &TIdleWatch::Idle, this, [this] { LockClick(); });

    FLoadTimer = new QTimer(this);
    FLoadTimer->setInterval(0);
    ConnectGuarded(FLoadTimer, &QTimer::timeout, this, [this] { LoadStep(); });
    FFollowTimer = new QTimer(this);
    FFollowTimer->setInterval(0);
    connect(FFollowTimer, &QTimer::timeout, this,
            [this] { FollowStep(std::chrono::milliseconds(8)); });

    TDataFileFollow::THooks follow;
    follow.Unwritten = [this] {
        // The groups still loading are read from the old file while it is open; the exchange
        // with other computers would stay on it too.
        FinishLoading();
        PauseSync();
        return NotePage->NoteSaver().TakeUnwritten();
    };
    follow.Follow = [this] {
        // The new file brings its own login settings.
        FConfig.LoadConfig();
        ApplyLockSettings();
        FollowOutsideChange();
        FSync->Start();
    };
    follow.Say = [this](const QString& text) {
        StatusLine->ShowMessage(text, 15000);
    };
    follow.ComputerName = QSysInfo::machineHostName();
    FDataFileFollow = new TDataFileFollow(FDbAccess, FDialogs, std::move(follow), this);

    AddTrayIcon();
    NameActions();
}

void TFormMain::NameActions()
{
    const std::pair<QObject*, const char*> named[] = {
        {TrayIcon, "TrayIcon"},
        {PopupMenu, "PopupMenu"},
        {actTrayHomePage, "actTrayHomePage"},
        {actShowWindow, "actShowWindow"},
        {NClose, "NClose"},
        {actTrayLock, "actTrayLock"},
        {pmSystem, "pmSystem"},
        {actHomePage, "actHomePage"},
        {actSettings, "actSettings"},
        {actLock, "actLock"},
        {actBackup, "actBackup"},
        {actRestore, "actRestore"},
        {actImportBookmarks, "actImportBookmarks"},
        {actImportFromBrowser, "actImportFromBrowser"},
        {actExportBookmarks, "actExportBookmarks"},
        {actExportNotes, "actExportNotes"},
        {actSync, "actSync"},
        {actMergeDataFile, "actMergeDataFile"},
        {actRecycleBin, "actRecycleBin"},
        {actShortcuts, "actShortcuts"},
        {actAbout, "actAbout"},
        {actSystemMenu, "actSystemMenu"},
    };
    for (const auto& [object, name] : named)
        object->setObjectName(QString::fromLatin1(name));
}

TFormMain::~TFormMain()
{
    RemoveTrayIcon();
}

void TFormMain::AddTrayIcon()
{
    PopupMenu = new QMenu(this);
    PopupMenu->setToolTipsVisible(true);
    actTrayHomePage = PopupMenu->addAction(tr("软件主页"));
    PopupMenu->addSeparator();
    actShowWindow = PopupMenu->addAction(tr("显示窗口"));
    actTrayLock = PopupMenu->addAction(tr("锁定"));
    actTrayLock->setShortcut(actLock->shortcut());
    actTrayLock->setShortcutVisibleInContextMenu(true);
    NClose = PopupMenu->addAction(tr("关闭"));
    ConnectGuarded(actTrayHomePage, &QAction::triggered, this, [this] { HomePageClick(); });
    ConnectGuarded(actTrayLock, &QAction::triggered, this, [this] { LockClick(); });
    ConnectGuarded(actShowWindow, &QAction::triggered, this, [this] { BringWindowBack(); });
    ConnectGuarded(NClose, &QAction::triggered, this, [this] { NCloseClick(); });

    TrayIcon = new QSystemTrayIcon(MainIcon(), this);
    TrayIcon->setToolTip(ApplicationTitle());
    TrayIcon->setContextMenu(PopupMenu);
    ConnectGuarded(TrayIcon, &QSystemTrayIcon::activated, this,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                       // Trays that report only single clicks (StatusNotifierItem) get the
                       // window back the same way.
                       if (reason == QSystemTrayIcon::DoubleClick ||
                           reason == QSystemTrayIcon::Trigger)
                           BringWindowBack();
                   });
    TrayIcon->show();
}

void TFormMain::RemoveTrayIcon()
{
    if (TrayIcon)
        TrayIcon->hide();
}

bool TFormMain::FormShow()
{
    // No data is shown before the login: a refusal, or settings that cannot be read, end here.
    if (!LoginAtStartGuarded(FConfig, FDialogs))
        return false;
    ApplyLockSettings();
    DailyBackup(FDbAccess, QDate::currentDate());
    // The day's backup still holds what the recycle bin lets go of now.
    RunGuarded([this] { EraseExpiredBinItems(FDbAccess); });
    RunGuarded([this] { LoadPages(); });
    // Copies that sync programs left are offered once the window shows.
    QTimer::singleShot(0, this, [this] { RunGuarded([this] { FConflictCopies->Start(); }); });
    WarnOfSyncedDataFolder(FDialogs, AppPath());
    FDataFileFollow->Start();
    FSync->Start();
    return true;
}

void TFormMain::LoadPages()
{
    WebAddrPage->IETree().BeginLoading();
    NotePage->NoteTree().BeginLoading();
    // The group commands work on a selected group: the root is one from the start.
    WebAddrPage->IETree().Select(WebAddrPage->IETree().RootNode());
    chkRunAtLogin->setChecked(IsRunAtStartup(ApplicationTitle(), ExecutablePath()));
    NotePage->ShowRootNote();
    FUserActed = false;
    qApp->installEventFilter(this);
    // The steps begin once the window has been painted; a window not shown, or not painted in
    // time, does not hold them up.
    FLoadWaitsForPaint = true;
    QTimer::singleShot(0, this, [this] {
        if (!isVisible())
            StartLoadSteps();
    });
    QTimer::singleShot(500, this, [this] { StartLoadSteps(); });
}

void TFormMain::StartLoadSteps()
{
    if (std::exchange(FLoadWaitsForPaint, false))
        FLoadTimer->start();
}

void TFormMain::paintEvent(QPaintEvent* event)
{
    QWidget::paintEvent(event);
    // Queued: the children paint after this, within the same paint.
    if (FLoadWaitsForPaint)
        QTimer::singleShot(0, this, [this] { StartLoadSteps(); });
}

void TFormMain::LoadStep()
{
    // Short enough that a key or a click waiting behind a step is not felt.
    constexpr std::chrono::milliseconds Step(8);
    // The shown page's groups first.
    TCardTree* trees[] = {&NotePage->NoteTree(), &WebAddrPage->IETree()};
    if (PageTabs->currentWidget() == WebAddrTab)
        std::swap(trees[0], trees[1]);
    for (TCardTree* tree : trees)
        if (tree->Loading()) {
            // A table that can't be read ends its load with the root alone; the error is shown
            // and the user chooses whether to go on without those groups.
            bool read = false;
            RunGuarded([&] {
                tree->LoadStep(Step);
                read = true;
            });
            if (!read &&
                AskYesNo(FDialogs, tr("数据文件中的分组读取失败（原因见上一个提示），窗口中不显示"
                                      "这些分组。\n要退出 Velmora 吗？选“否”继续使用，例如用"
                                      "“数据恢复”换回一个备份。"))) {
                FExitConfirmed = true;
                close();
            }
            return;
        }
    EndLoading();
}

void TFormMain::EndLoading()
{
    FLoadTimer->stop();
    qApp->removeEventFilter(this);
    FWindowState->RestoreTrees(!FUserActed);
}

bool TFormMain::Loading() const
{
    return FLoadWaitsForPaint || FLoadTimer->isActive();
}

void TFormMain::FinishLoading()
{
    FinishFollowing();
    if (!Loading())
        return;
    FLoadWaitsForPaint = false;
    NotePage->NoteTree().FinishLoading();
    WebAddrPage->IETree().FinishLoading();
    EndLoading();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == btnSystem) {
        // The menu drops down from the button unless the click came from the mouse.
        if (event->type() == QEvent::MouseButtonRelease)
            FSystemClickedByMouse = true;
        else if (event->type() == QEvent::KeyPress) {
            FSystemClickedByMouse = false;
            const auto* key = static_cast<QKeyEvent*>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
                (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                btnSystem->click();
                return true;
            }
        }
        return QWidget::eventFilter(watched, event);
    }
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::MouseButtonPress)
        FUserActed = true;
    return QWidget::eventFilter(watched, event);
}

void TFormMain::ShowAsRemembered()
{
    if (FWindowState->WasMaximized())
        showMaximized();
    else
        show();
}

void TFormMain::ReloadPages()
{
    WebAddrPage->IETree().Reload();
    NotePage->NoteTree().Reload();
    if (WebAddrPage->IETree().Selected())
        WebAddrPage->tvIEClick();
    else
        WebAddrPage->ListAllAddresses();
    NotePage->ShowRootNote();
}

void TFormMain::FollowOutsideChange()
{
    // A locked window shows nothing; the unlock reads everything afresh.
    if (FLocked)
        return;
    // The first loading ends first; a following under way starts again over the new data.
    FFollowTimer->stop();
    FinishLoading();
    bool begun = false;
    RunGuarded([&] {
        NotePage->BeginFollow();
        WebAddrPage->BeginFollow();
        begun = true;
    });
    if (begun)
        FFollowTimer->start();
}

bool TFormMain::Following() const
{
    return FFollowTimer->isActive();
}

void TFormMain::FinishFollowing()
{
    while (Following())
        FollowStep(std::chrono::hours(1));
}

void TFormMain::FollowStep(std::chrono::nanoseconds budget)
{
    // A step that fails ends the following: what it could not read stays as it was shown.
    bool done = true;
    RunGuarded([&] {
        done = NotePage->FollowStep(budget) && WebAddrPage->FollowStep(budget);
        if (done)
            SearchBox->Refresh();
    });
    if (!done)
        return;
    FFollowTimer->stop();
    if (!NotePage->PutBack().isEmpty())
        StatusLine->ShowMessage(tr("笔记所在的分组已在别处删除，尚未保存的内容已放回分组“%1”")
                                    .arg(NotePage->PutBack()));
}

void TFormMain::AppMinimize()
{
    // Only where the desktop shows the icon may the window leave the taskbar: it must never be
    // stranded without a way back.
    if (TrayShown())
        QTimer::singleShot(0, this, [this] {
            if (isMinimized())
                hide();
        });
}

bool TFormMain::TrayShown() const
{
    return QSystemTrayIcon::isSystemTrayAvailable() && TrayIcon && TrayIcon->isVisible();
}

void TFormMain::BringWindowBack()
{
    if (FLocked && !Unlock())
        return;
    ShowInFront();
}

void TFormMain::ShowInFront()
{
    if (isMinimized() || !isVisible())
        showNormal();
    raise();
    activateWindow();
}

void TFormMain::UnlockInPlace()
{
    if (!FLocked || FUnlocking)
        return;
    bool unlocked = false;
    RunGuarded([&] { unlocked = Unlock(); });
    if (unlocked) {
        ShowInFront();
        return;
    }
    // Nothing else could bring the window back: a refusal ends the program, as it does at the
    // start. The data was saved and the file closed at the lock.
    QApplication::quit();
}

void TFormMain::LockClick()
{
    // A dialog or a menu still open would work on data that is gone; the idle time starts again
    // instead.
    if (FLocked || !FConfig.bPass || QApplication::activeModalWidget() ||
        QApplication::activePopupWidget()) {
        FIdleWatch->Restart();
        return;
    }
    FinishLoading();
    // Whatever fails here stops the lock before anything is lost: a note that cannot be saved
    // stays on screen unless the user lets it go. A changed note is kept in its history too.
    NotePage->NoteSaver().KeepVersion();
    NotePage->NoteSaver().SaveOrAsk();
    FWindowState->Save();
    FWindowState->Hold();
    FLockedEncrypted = !FDbAccess.Key().IsStandard();
    hide();
    SearchBox->Clear();
    NotePage->Clear();
    WebAddrPage->Clear();
    // The last changes go to the other computers while the key is still known.
    FSync->Stop();
    FDbAccess.Disconnect();
    WipeText(FConfig.PassWord);
    FLocked = true;
    ApplyLockSettings();
    // Without a notification area nothing would bring the window back: the unlock prompt takes
    // its place at once, once the lock's own event is done.
    if (!TrayShown())
        QTimer::singleShot(0, this, [this] { UnlockInPlace(); });
}

bool TFormMain::Unlock()
{
    // One prompt at a time: the tray icon, a second start and the prompt in the window's place
    // may each ask.
    if (FUnlocking) {
        if (QWidget* prompt = QApplication::activeModalWidget()) {
            prompt->raise();
            prompt->activateWindow();
        }
        return false;
    }
    FUnlocking = true;
    const auto done = qScopeGuard([this] { FUnlocking = false; });
    if (!UnlockDataFile(FConfig, FDialogs, FLockedEncrypted))
        return false;
    FLocked = false;
    // A data file replaced during the lock: what the locked one had is merged first.
    FDataFileFollow->Check();
    FSync->Start();
    NotePage->NoteTree().Reload();
    WebAddrPage->IETree().Reload();
    FWindowState->RestoreTrees();
    if (!NotePage->NoteTree().Selected())
        NotePage->ShowRootNote();
    ApplyLockSettings();
    return true;
}

void TFormMain::ApplyLockSettings()
{
    const bool canLock = FConfig.bPass && !FLocked;
    // An empty tip is the item's caption.
    const QString tip = FConfig.bPass ? QString() : tr("设置登录密码后才能锁定");
    for (QAction* lock : {actLock, actTrayLock}) {
        lock->setEnabled(canLock);
        lock->setToolTip(tip);
    }
    const TLockSettings lock = TLockSettings::Load();
    FIdleWatch->SetMinutes(canLock ? lock.IdleMinutes : 0);
    FLockOnMinimize = canLock && lock.OnMinimize;
}

void TFormMain::NCloseClick()
{
    close();
}

bool TFormMain::FormCloseQuery()
{
    if (!CloseNeedsQuestion(FExitConfirmed, qApp->isSavingSession(), FSessionEndAgreed))
        return true;
    FExitConfirmed = AskYesNo(FDialogs, tr("确定要退出程序吗？"));
    return FExitConfirmed;
}

void TFormMain::CommitData(QSessionManager& manager)
{
    // The session may end the program without a close: the window's state is kept first.
    FinishLoading();
    FWindowState->Save();
    // Logging off or shutting down asks the same question; No refuses the log-off.
    const TSessionEndDecision decision =
        DecideSessionEnd(manager.allowsInteraction(), FExitConfirmed,
                         [this] { return AskYesNo(FDialogs, tr("确定要退出程序吗？")); });
    FSessionEndAgreed = decision.Agreed;
    if (!manager.allowsInteraction())
        return;
    // Cancelled before the interaction ends, so that the end of the interaction carries the
    // refusal.
    if (decision.Cancel) {
        manager.cancel();
        return;
    }
    manager.release();
    // The program leaves on the Yes, within the request: nothing tells it when a session end is
    // cancelled later by another program, so a Yes kept for the session's last close would
    // outlive a cancelled one and let a later close leave unasked.
    if (decision.Agreed)
        close();
}

void TFormMain::closeEvent(QCloseEvent* event)
{
    bool leave = false;
    RunGuarded([&] {
        NotePage->NoteSaver().KeepVersion();
        NotePage->NoteSaver().SaveOrAsk();
        leave = FormCloseQuery();
    });
    if (!leave) {
        event->ignore();
        return;
    }
    event->accept();
    // A window closed while its groups still load keeps what was remembered of them.
    RunGuarded([this] {
        FinishLoading();
        FWindowState->Save();
    });
    FSync->Stop();
    QApplication::quit();
}

void TFormMain::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMinimized()) {
        if (FLockOnMinimize)
            QTimer::singleShot(0, this, [this] { RunGuarded([this] { LockClick(); }); });
        else
            RunGuarded([this] { AppMinimize(); });
    }
}

void TFormMain::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    FitOuterSize();
}

void TFormMain::moveEvent(QMoveEvent* event)
{
    QWidget::moveEvent(event);
    FitOuterSize();
}

void TFormMain::FitOuterSize()
{
    // The design size is the outer size. The window manager tells the frame only after the
    // window is mapped; once it is known, the client area gives way to it, once.
    if (FSized || !isVisible() || isMaximized() || isFullScreen())
        return;
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame.width() <= 0 && frame.height() <= 0)
        return;
    FSized = true;
    resize(FOuterSize - frame);
}

void TFormMain::chkRunAtLoginClick()
{
    const QString reason =
        SetRunAtStartup(ApplicationTitle(), ExecutablePath(), chkRunAtLogin->isChecked());
    if (reason.isEmpty())
        return;
    // The box shows what will happen at the next login.
    chkRunAtLogin->setChecked(IsRunAtStartup(ApplicationTitle(), ExecutablePath()));
    throw ECardError(tr("无法设置开机运行：%1").arg(reason));
}

void TFormMain::btnSystemClick()
{
    const QRect screen = btnSystem->screen()->availableGeometry();
    const QSize menu = pmSystem->sizeHint();
    if (std::exchange(FSystemClickedByMouse, false))
        pmSystem->popup(MenuPlaceAtPointer(menu, QCursor::pos(), screen));
    else
        pmSystem->popup(MenuPlaceAtButton(
            menu, QRect(btnSystem->mapToGlobal(QPoint(0, 0)), btnSystem->size()), screen));
}

TFormShortcuts* TFormMain::Shortcuts() const
{
    return FShortcuts;
}

void TFormMain::ShortcutsClick()
{
    // One list: a second F1 brings it to the front.
    if (!FShortcuts)
        FShortcuts = new TFormShortcuts(this);
    FShortcuts->show();
    FShortcuts->raise();
    FShortcuts->activateWindow();
}

void TFormMain::HomePageClick()
{
    OpenUrl(FDialogs, HomePage());
}

void TFormMain::SettingsClick()
{
    // A new key for the data file closes it for a moment: loads and saves under way finish
    // first.
    FinishLoading();
    NotePage->NoteSaver().SaveOrAsk();
    const QString currentAddress = WebAddrPage->CurrentAddressId();
    const bool syncing = PauseSync();
    // A failure of the dialog's work leaves the file in use as before: the exchange goes on.
    const auto resume = [&] {
        if (syncing)
            FSync->Start();
    };
    auto resumeOnFailure = qScopeGuard(resume);
    const bool saved = ShowConfigDialog(FConfig, FDialogs);
    resumeOnFailure.dismiss();
    resume();
    ApplyLockSettings();
    // The file closed for the new key took the listed addresses with it.
    WebAddrPage->ListAgainIfClosed(currentAddress);
    if (saved)
        StatusLine->ShowMessage(tr("设置已保存"));
}

void TFormMain::BackupClick()
{
    // The copy holds the note as it is on screen.
    NotePage->NoteSaver().SaveOrAsk();
    const QString written = BackupCommand(FDbAccess, FDialogs);
    if (!written.isEmpty())
        StatusLine->ShowMessage(tr("已备份到 %1").arg(written));
}

void TFormMain::RestoreClick()
{
    FinishLoading();
    // The safety copy keeps the note as it is on screen.
    NotePage->NoteSaver().SaveOrAsk();
    // The safety copy is under the key the data file has now.
    const TFileKey before = FDbAccess.Key();
    const bool syncing = PauseSync();
    const auto resume = [&] {
        if (syncing)
            FSync->Start();
    };
    auto resumeOnFailure = qScopeGuard(resume);
    const bool restored = RestoreCommand(FConfig, FDialogs);
    resumeOnFailure.dismiss();
    resume();
    if (!restored)
        return;
    StatusLine->ShowMessage(tr("已恢复"));
    bool read = false;
    RunGuarded([&] {
        ReloadPages();
        read = true;
    });
    ApplyLockSettings();
    if (read)
        return;
    // Nothing of the replaced data may stay on show: typing would write it into the new file.
    WebAddrPage->IETree().Clear();
    NotePage->NoteTree().Clear();
    RunGuarded([this] {
        WebAddrPage->ListAllAddresses();
        NotePage->ShowRootNote();
    });
    if (!AskYesNo(FDialogs, tr("恢复的数据读取失败（原因见上一个提示），窗口中不显示它的分组。\n"
                               "要换回恢复前的数据吗？")))
        return;
    FDbAccess.RestoreFrom(SafetyCopyPath(), QString(), before);
    WriteLog(QStringLiteral("数据恢复！"));
    FConfig.LoadConfig();
    StatusLine->ShowMessage(tr("已换回恢复前的数据"));
    ReloadPages();
    ApplyLockSettings();
}

void TFormMain::ImportBookmarksClick()
{
    FinishLoading();
    if (ImportBookmarksCommand(FDbAccess, FDialogs))
        ShowImportedBookmarks();
}

void TFormMain::ImportFromBrowserClick()
{
    FinishLoading();
    if (ImportFromBrowserCommand(FDbAccess, FDialogs))
        ShowImportedBookmarks();
}

void TFormMain::MergeDataFileClick()
{
    FinishLoading();
    // The merge works on the file: the note as it is on screen goes in first.
    NotePage->NoteSaver().SaveOrAsk();
    if (MergeDataFileCommand(FDbAccess, FDialogs))
        FollowOutsideChange();
}

void TFormMain::RecycleBinClick()
{
    FinishLoading();
    // A restore may put a note back beside the one being typed: that one is stored first.
    NotePage->NoteSaver().SaveOrAsk();
    TFormRecycleBin dialog(FDbAccess, FDialogs, this);
    dialog.Restored = [this](const TRecycleBin::TRestored& restored) {
        ShowRestored(restored);
    };
    dialog.exec();
}

void TFormMain::ShowRestored(const TRecycleBin::TRestored& restored)
{
    FollowOutsideChange();
    FinishFollowing();
    // What came back is shown where it went: its group selected, an address current.
    const bool notes = restored.GroupTable == QLatin1String("NoteType");
    TCardTree& tree = notes ? NotePage->NoteTree() : WebAddrPage->IETree();
    QTreeWidgetItem* node = tree.RootNode();
    for (QTreeWidgetItemIterator it(tree.TreeView()); *it && restored.Group != 0; ++it)
        if (*it != tree.RootNode() && TCardTree::KeyOf(*it).SelfIndex == restored.Group)
            node = *it;
    PageTabs->setCurrentWidget(notes ? NotePageTab : WebAddrTab);
    tree.Select(node);
    tree.TreeView()->scrollToItem(node);
    if (notes) {
        NotePage->ShowSelectedNote();
        return;
    }
    WebAddrPage->tvIEClick();
    if (restored.AddressId != 0)
        WebAddrPage->SelectAddress(QString::number(restored.AddressId));
}

void TFormMain::ShowImportedBookmarks()
{
    WebAddrPage->IETree().Reload();
    if (WebAddrPage->IETree().Selected())
        WebAddrPage->tvIEClick();
    else
        WebAddrPage->ListAllAddresses();
}

bool TFormMain::PauseSync()
{
    // The exchange's connection would stay on the file that is replaced.
    const bool running = FSync->Service().Running();
    FSync->Stop();
    return running;
}

void TFormMain::ShowSyncConflicts()
{
    // The newest group that keeps another computer's version of a note, else the addresses'.
    // The names are data, the same in every language.
    const QString noteMark = QStringLiteral("（冲突副本 ");
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(NotePage->NoteTree().TreeView()); *it; ++it)
        if ((*it)->text(0).contains(noteMark))
            found = *it;
    if (found) {
        PageTabs->setCurrentWidget(NotePageTab);
        NotePage->NoteTree().Select(found);
        NotePage->NoteTree().TreeView()->scrollToItem(found);
        return;
    }
    const QList<QTreeWidgetItem*> addresses = WebAddrPage->IETree().TreeView()->findItems(
        QStringLiteral("同步冲突"), Qt::MatchExactly | Qt::MatchRecursive);
    if (addresses.isEmpty())
        return;
    PageTabs->setCurrentWidget(WebAddrTab);
    WebAddrPage->IETree().Select(addresses.first());
    WebAddrPage->tvIEClick();
}
