#pragma once

#include "webaddr/FormBaseIE.h"

// The modify-address dialog "修改网址" over one stored address.
class TFormModIE final : public TFormBaseIE
{
    Q_OBJECT

public:
    TFormModIE(TIE& store, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormModIE() override;

    QString AddressID; // the ID of the address, as decimal text

protected:
    void btnOKClick() override;
};
