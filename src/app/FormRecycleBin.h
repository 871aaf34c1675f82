#pragma once

#include "data/RecycleBin.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;
class TDbAccess;
class TUserDialogs;

// "回收站…": what was deleted on this computer, newest first — what it was, where it was and
// when — with "还原", which puts the chosen item back where it was, and "彻底删除", which erases
// it after asking. Esc closes.
class TFormRecycleBin final : public QDialog
{
    Q_OBJECT

public:
    TFormRecycleBin(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent = nullptr);

    // Run after a restore has put something back, so that the window shows it.
    std::function<void(const TRecycleBin::TRestored&)> Restored;

    QTreeWidget* tvItems = nullptr;
    QLabel* lblEmpty = nullptr;
    QPushButton* btnRestore = nullptr;
    QPushButton* btnErase = nullptr;
    QPushButton* btnClose = nullptr;

    void RestoreClick();
    void EraseClick();

private:
    // Reads the bin again; the item at the given row (or the last one) becomes current.
    void ListItems(int row = 0);
    void SelectionChanged();
    // The chosen item's number, 0 for none.
    qint64 ChosenItem() const;

    TDbAccess& FDbAccess;
    TUserDialogs& FDialogs;
};

// Erases what has been in the recycle bin longer than it keeps things, in one transaction; run
// at start.
void EraseExpiredBinItems(TDbAccess& dbAccess);
