#pragma once

#include "webaddr/FormBaseIE.h"

class QCheckBox;
class QColor;
class QPalette;
class QLabel;

// The new-address dialog "新建网址". With "保存后继续新建" ticked, OK saves and empties the texts
// for the next address in the same group instead of closing.
class TFormAddIE final : public TFormBaseIE
{
    Q_OBJECT

public:
    TFormAddIE(TIE& store, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormAddIE() override;

    QCheckBox* chkKeepAdding = nullptr;
    // Grey, under the address, while the typed address is already stored: "已保存在：<group>".
    QLabel* lblStoredAt = nullptr;
    // How many addresses this dialog has saved, with OK or "保存后继续新建".
    int Saved = 0;

    // The grey of lblStoredAt: readable on the palette's window colour.
    static QColor SubduedText(const QPalette& palette);

protected:
    void btnOKClick() override;

private:
    void ClearForNext();
    void ShowWhereStored();
};
