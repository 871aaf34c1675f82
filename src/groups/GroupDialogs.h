#pragma once

#include "controls/FormBaseDlg.h"

#include <QString>

#include <functional>

class QTreeWidgetItem;
class TDbAccess;
class TUserDialogs;

// The position text of a node: the captions from the root down to the node, joined by "->"
// without blanks, e.g. 全部->工作->项目; for the root alone its caption.
QString PositionText(const QTreeWidgetItem* node);

// The new-group dialog "新建组". The name is empty on entry and, on OK only, the typed text
// exactly as typed. A name the check throws for is refused while the dialog stays open.
TModalResult InputGroupName(TUserDialogs& dialogs, const QString& positionText, QString& name,
                            std::function<void(const QString&)> checkName = {});

// The choose-group dialog "选择组" over the address groups. The name is empty on entry; on OK the
// index is the chosen group's number (0 for the root) and the name its caption ("全部" for the
// root). On any other result the index is not written.
TModalResult ChooseGroup(TDbAccess& dbAccess, TUserDialogs& dialogs, int& groupIndex,
                         QString& groupName);
