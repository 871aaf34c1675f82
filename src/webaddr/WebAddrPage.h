#pragma once

#include "controls/FormBaseDlg.h"

#include <QWidget>

#include <chrono>
#include <memory>

class QAction;
class QKeyEvent;
class QMenu;
class QSplitter;
class QTimer;
class QTreeWidget;
class TCardDBGrid;
class TCardTree;
class TIE;
class TGroupCommands;
class TUserDialogs;

// The web address page "网址管理": the address groups on the left, the addresses of the group
// last clicked on the right in the striped grid. The page owns the address tree IETree with its
// group commands IECommands, and the grid's menu pmIE. Commands that need a row do nothing on an
// empty grid and read the row's values by field name, wherever the user has dragged the columns.
// The groups and addresses are read and written through the address store it is handed.
class TWebAddrPage final : public QWidget
{
    Q_OBJECT

public:
    TWebAddrPage(TIE& store, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TWebAddrPage() override;

    // The groups read at once (the main window loads them in steps through IETree), and every
    // address listed. Both throw; the caller runs them guarded. FirstShow does the two in that
    // order.
    void LoadGroups();
    void ListAllAddresses();
    // Shows the tree's root alone and lists nothing more until told, reading nothing: for a
    // program that locks itself (closing the file empties the list).
    void Clear();
    void FirstShow();
    // Lists what the tree's selection names (every address for the root) now if the page is on
    // screen, else the first time it is shown: a long list costs its time only once it is seen.
    void ListWhenShown();
    bool Listed() const { return FListed; }

    TCardTree& IETree() const { return *FIETree; }
    TGroupCommands& IECommands() const { return *FIECommands; }

    // The handlers; the page's connections run them guarded.
    // Lists the addresses of the selected group, every address for the root. A click lists at
    // once; a selection moved by the keys lists once it rests (see FollowSelection).
    void tvIEClick();
    void NewAddressClick();        // "新建" on the grid
    void NewAddressInGroupClick(); // "新建网址" on the tree
    void ModifyAddressClick();     // "修改"
    void DeleteAddressClick();     // "删除"
    void OpenAddressClick();       // "打开网页"
    void AddressGridDblClick();

    // Selects the listed address of that ID, if it is listed, and puts the focus in the list.
    void SelectAddress(const QString& id);
    // The ID of the list's current address, empty when there is none.
    QString CurrentAddressId() const;
    // Closing the data file for a moment (a new key) empties the list: the same group's list is
    // read again, the address of that ID current again. A list never shown stays unread.
    void ListAgainIfClosed(const QString& currentId);
    // After another connection (a merge, an import) changed the data file, in steps that each
    // work for about the budget: the tree is read again, keeping its selection (see
    // TCardTree::Reload), then the list is read again for the selected group, the current
    // address kept by its ID, else by its web address, and the list's scroll kept; a list out of
    // sight is read when it is seen. FollowStep is true once all is done.
    void BeginFollow();
    bool FollowStep(std::chrono::nanoseconds budget);
    // The tree and the list side by side, for the window to keep the tree's width.
    QSplitter& Splitter() const { return *splitter; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    // The root counts as selected when nothing is.
    bool SelectionIsRoot() const;
    // Makes the listed address of that ID current; false when it is not listed.
    bool MakeCurrent(const QString& id);
    // The same for a field's value.
    bool MakeCurrent(const QString& field, const QString& value);
    void AddAddress();
    // After an address dialog: the choose-group dialog may have added groups, which the tree
    // must show (and count) before it hands out another group number.
    void AfterAddressDialog(TModalResult result);
    void OpenCurrentAddress();
    // The selection moved without a click: the list follows once the moves stop coming, so
    // holding an arrow key reads only the group it stops on.
    void SelectionMoved();
    void FollowSelection();
    // The keys of the list, each the same as its menu item; true when the key was one of them.
    bool AddressGridKey(const QKeyEvent& key);

    // The page's controls, each with its name as object name: tests and tools find them by it.
    QWidget* pnlGroupTree = nullptr;
    QTreeWidget* tvIE = nullptr;
    QSplitter* splitter = nullptr;
    QWidget* pnlAddressGrid = nullptr;
    TCardDBGrid* AddressGrid = nullptr;

    QAction* actNewAddressInGroup = nullptr; // "新建网址" in the group menu
    QMenu* pmIE = nullptr;
    QAction* actNewAddress = nullptr;
    QAction* actModifyAddress = nullptr;
    QAction* actDeleteAddress = nullptr;
    QAction* actOpenAddress = nullptr;

    TIE& FStore;
    TUserDialogs& FDialogs;
    std::unique_ptr<TCardTree> FIETree;
    std::unique_ptr<TGroupCommands> FIECommands;
    QTimer* FFollowTimer = nullptr;
    qint32 FListedIndex = 0; // the group the list shows, 0 for every address
    bool FListWhenShown = false;
    bool FListed = false; // a list has been shown since the start
    // The list's current address and scroll to keep when it is read again after another
    // connection's change; FKeepCurrent while there is one.
    bool FKeepCurrent = false;
    QString FKeepId;
    QString FKeepUrl;
    int FKeepScroll = 0;
    void ListKeepingCurrent();
};
