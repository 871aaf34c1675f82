#pragma once

#include "groups/FormBaseDlg.h"

class QLabel;
class QLineEdit;

// The password prompt: accepts exactly the expected password, letter case and blanks included.
// A wrong entry is reported and the prompt stays open for another try.
class TFormPass final : public TFormBaseDlg
{
    Q_OBJECT

public:
    explicit TFormPass(QWidget* parent = nullptr);
    ~TFormPass() override;

    QString ExpectedPassword;

    QLabel* lblPass = nullptr; // "输入密码"
    QLineEdit* edtPass = nullptr;

protected:
    void btnOKClick() override;
    void showEvent(QShowEvent* event) override;
};

// Asks for a password under the given caption ("请输入密码" when empty). mrOK only when the
// expected password was entered and confirmed; every other result is a refusal.
TModalResult AskPassword(const QString& expected, const QString& caption);
