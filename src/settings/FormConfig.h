#pragma once

#include "groups/FormBaseDlg.h"

class QCheckBox;
class QLabel;
class QLineEdit;

// The settings dialog "软件设置": whether a password is asked at start, and the password. Changing
// or switching off a stored password first asks for it.
class TFormConfig final : public TFormBaseDlg
{
    Q_OBJECT

public:
    explicit TFormConfig(QWidget* parent = nullptr);
    ~TFormConfig() override;

    QCheckBox* chkPass = nullptr;
    QLabel* lblPass = nullptr; // "密码"
    QLineEdit* edtPass = nullptr;
    QLabel* lblRePass = nullptr; // "再输入次"
    QLineEdit* edtRePass = nullptr;

protected:
    void btnOKClick() override;

private:
    void FormShow();
    void chkPassClick();
};

// Shows the settings dialog modally; on OK the settings are saved and Config holds them. True
// when they were saved.
bool ShowConfigDialog();
