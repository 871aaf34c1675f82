#include "webaddr/FormModIE.h"

#include "webaddr/IE.h"

TFormModIE::TFormModIE(TIE& store, TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseIE(store, dialogs, parent)
{
    setWindowTitle(tr("修改网址"));
}

TFormModIE::~TFormModIE() = default;

void TFormModIE::btnOKClick()
{
    if (!ValidateUrl())
        return;
    CopyToStore();
    Store().UpdateAddress(AddressID);
    SetModalResult(mrOK);
}
