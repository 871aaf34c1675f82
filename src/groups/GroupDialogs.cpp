#include "groups/GroupDialogs.h"

#include "groups/CardTree.h"
#include "groups/FormAddType.h"
#include "groups/FormViewIEType.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QTreeWidgetItem>

#include <utility>

QString PositionText(const QTreeWidgetItem* node)
{
    if (!node)
        return {};
    QString text = node->text(0);
    for (const QTreeWidgetItem* up = node->parent(); up; up = up->parent())
        text = up->text(0) + QStringLiteral("->") + text;
    return text;
}

TModalResult InputGroupName(TUserDialogs& dialogs, const QString& positionText, QString& name,
                            std::function<void(const QString&)> checkName)
{
    name.clear();
    TFormAddType dialog(dialogs);
    dialog.edtPos->setText(positionText);
    dialog.CheckName = std::move(checkName);
    const TModalResult result = dialog.ShowModal();
    if (result == mrOK)
        name = dialog.edtName->text();
    return result;
}

TModalResult ChooseGroup(TDbAccess& dbAccess, TUserDialogs& dialogs, int& groupIndex,
                         QString& groupName)
{
    groupName.clear();
    TFormViewIEType dialog(dbAccess, dialogs);
    const TModalResult result = dialog.ShowModal();
    if (result != mrOK)
        return result;
    groupIndex = dialog.ChosenIndex;
    const QTreeWidgetItem* chosen = dialog.GroupTree().Selected();
    groupName = groupIndex == 0 || !chosen ? QCoreApplication::translate("GroupDialogs", "全部")
                                           : chosen->text(0);
    return result;
}
