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

TModalResult ShowAddAddress(TIE& store, qint32 groupId, const QString& groupName, int* saved)
{
    TFormAddIE dialog(store);
    dialog.GroupID = groupId;
    dialog.edtGroup->setText(groupName);
    dialog.edtIE->setText(ReadClipboardUrl());
    const TModalResult result = dialog.ShowModal();
    if (saved)
        *saved = dialog.Saved;
    return result;
}

TModalResult ShowModifyAddress(TIE& store, const QString& id)
{
    TFormModIE dialog(store);
    dialog.AddressID = id;
    store.LoadAddress(id);
    dialog.edtGroup->setText(store.TypeName.isEmpty()
                                 ? QCoreApplication::translate("TWebAddrPage", "全部")
                                 : store.TypeName);
    dialog.GroupID = store.TypeID;
    dialog.edtIE->setText(store.IEUrl);
    dialog.edtName->setText(store.IEName);
    dialog.SetRemark(store.ReMark);
    return dialog.ShowModal();
}
