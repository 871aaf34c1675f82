#include "webaddr/AddressDialogs.h"

#include "common/UserDialogs.h"
#include "controls/CardEdtBut.h"
#include "webaddr/FormAddIE.h"
#include "webaddr/FormModIE.h"
#include "webaddr/IE.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

QString ReadClipboardUrl(TUserDialogs& dialogs)
{
    const QString text = dialogs.ClipboardText();
    for (const char* mark : {"http", "www", ".com", ".cn", ".net", ".gov"})
        if (text.contains(QLatin1String(mark)))
            return text;
    return {};
}

TModalResult ShowAddAddress(TIE& store, TUserDialogs& dialogs, qint32 groupId,
                            const QString& groupName, int* saved)
{
    TFormAddIE dialog(store, dialogs);
    dialog.GroupID = groupId;
    dialog.edtGroup->setText(groupName);
    dialog.edtIE->setText(ReadClipboardUrl(dialogs));
    const TModalResult result = dialog.ShowModal();
    if (saved)
        *saved = dialog.Saved;
    return result;
}

TModalResult ShowModifyAddress(TIE& store, TUserDialogs& dialogs, const QString& id)
{
    TFormModIE dialog(store, dialogs);
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
