#pragma once

#include "controls/FormBaseDlg.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QSpinBox;
class TConfig;
class TUserDialogs;

// The settings dialog "软件设置": whether a password is asked at start, the password, whether the
// data file is encrypted with it, and when the program locks itself. Changing or switching off a
// stored password first asks for it.
class TFormConfig final : public TFormBaseDlg
{
    Q_OBJECT

public:
    // Shows and saves the given settings.
    TFormConfig(TConfig& config, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormConfig() override;

    QCheckBox* chkPass = nullptr;
    QCheckBox* chkEncrypt = nullptr; // "用登录密码加密数据文件(&E)"; only with chkPass
    QLabel* lblPass = nullptr;       // "密码"
    QLineEdit* edtPass = nullptr;
    QLabel* lblRePass = nullptr; // "再输入次"
    QLineEdit* edtRePass = nullptr;
    QLabel* lblIdleLock = nullptr; // "空闲时自动锁定（分钟，0 为不锁定）"
    QSpinBox* spnIdleLock = nullptr;
    QCheckBox* chkLockOnMinimize = nullptr; // "最小化时锁定"

protected:
    void btnOKClick() override;

private:
    void FormShow();
    void chkPassClick();
    // Why the typed password cannot be taken, empty when it can.
    QString RefusedPassword() const;
    // Stores the settings; with another key for the data file, writes the file again under it.
    void SaveSettings(const TConfig& changed, bool encrypt);

    TConfig& FConfig;
    TUserDialogs& FDialogs;
};

// Shows the settings dialog modally; on OK the settings are saved and config holds them. True
// when they were saved.
bool ShowConfigDialog(TConfig& config, TUserDialogs& dialogs);
