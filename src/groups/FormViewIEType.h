#pragma once

#include "controls/FormBaseDlg.h"

#include <memory>

class QPushButton;
class QTreeWidget;
class TCardTree;
class TDbAccess;
class TUserDialogs;

// The choose-group dialog "选择组": the address groups in a tree of its own, from which the user
// picks one (OK or a double click) or adds one ("新建分组"). Groups added here are written at
// once, whatever the user then answers.
class TFormViewIEType final : public TFormBaseDlg
{
    Q_OBJECT

public:
    TFormViewIEType(TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormViewIEType() override;

    QPushButton* btnNewGroup = nullptr;
    QTreeWidget* tvGroups = nullptr;

    TCardTree& GroupTree() const { return *FGroupTree; }
    // The number of the group chosen with OK; 0 for the root.
    int ChosenIndex = 0;

protected:
    void btnOKClick() override;
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    void btnNewGroupClick();

    std::unique_ptr<TCardTree> FGroupTree;
    bool FShown = false;
};
