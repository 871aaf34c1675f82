#include "webaddr/FormModIE.h"

#include "webaddr/IE.h"

TFormModIE::TFormModIE(QWidget* parent) : TFormBaseIE(parent)
{
    setWindowTitle(tr("修改网址"));
}

TFormModIE::~TFormModIE() = default;

void TFormModIE::btnOKClick()
{
    if (!ValidateUrl())
        return;
    CopyToStore();
    IEStore.UpdateAddress(AddressID);
    SetModalResult(mrOK);
}
