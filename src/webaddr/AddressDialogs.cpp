#include "webaddr/AddressDialogs.h"

#include "common/UserDialogs.h"
#include "controls/CardEdtBut.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/FormModIE.h"
#include "webaddr/IE.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

QString ReadClipboardUrl()
{
    const QString text = UserDialogs().ClipboardText();
    for (const char* mark : {"http", "www", ".com", ".cn", ".net", ".gov"})
        if (text.contains(QLatin1String(mark)))
            return text;
    return {};
}

TModalResult ShowAddAddress(qint32 groupId, const QString& groupName, int* saved)
{
    TFormAddIE dialog;
    dialog.GroupID = groupId;
    dialog.edtGroup->setText(groupName);
    dialog.edtIE->setText(ReadClipboardUrl());
    const TModalResult result = dialog.ShowModal();
    if (saved)
        *saved = dialog.Saved;
    return result;
}

TModalResult ShowModifyAddress(const QString& id)
{
    TFormModIE dialog;
    dialog.AddressID = id;
    IEStore.LoadAddress(id);
    dialog.edtGroup->setText(IEStore.TypeName.isEmpty()
                                 ? QCoreApplication::translate("TWebAddrPage", "全部")
                                 : IEStore.TypeName);
    dialog.GroupID = IEStore.TypeID;
    dialog.edtIE->setText(IEStore.IEUrl);
    dialog.edtName->setText(IEStore.IEName);
    dialog.SetRemark(IEStore.ReMark);
    return dialog.ShowModal();
}
