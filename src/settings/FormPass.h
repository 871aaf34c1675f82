#pragma once

#include "common/UserDialogs.h"
#include "controls/FormBaseDlg.h"

#include <functional>

class QLabel;
class QLineEdit;
class TUserDialogs;

// The password prompt: accepts exactly the expected password, letter case and blanks included.
// A wrong entry is reported and the prompt stays open for another try. It is shown through the
// dialogs it is given, so that a script can answer it in place of the user.
class TFormPass final : public TFormBaseDlg, public TPasswordPrompt
{
    Q_OBJECT

public:
    explicit TFormPass(TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormPass() override;

    QString ExpectedPassword;
    // When set, decides in place of ExpectedPassword: the prompt for the key of an encrypted
    // file, where only opening the file tells whether the password is right.
    std::function<bool(const QString&)> Accepts;

    QLabel* lblPass = nullptr; // "输入密码"
    QLineEdit* edtPass = nullptr;
    QLabel* lblNote = nullptr; // a second line under the caption; hidden when empty

    void SetNote(const QString& note);

    QString Caption() const override;
    bool Show() override;
    bool Enter(const QString& password) override;

protected:
    void btnOKClick() override;
    void showEvent(QShowEvent* event) override;

private:
    TUserDialogs& FDialogs;
};

// Asks for a password under the given caption ("请输入密码" when empty). mrOK only when the
// expected password was entered and confirmed; every other result is a refusal.
TModalResult AskPassword(TUserDialogs& dialogs, const QString& expected, const QString& caption);

// Asks for a password that the check accepts, under the caption and with the note as a second
// line. The check runs under a wait cursor (deriving a file's key takes a moment); a false is
// "密码输入错误!" with the edit emptied, and the prompt stays. What was typed is wiped when the
// prompt closes.
TModalResult AskPasswordFor(TUserDialogs& dialogs,
                            const std::function<bool(const QString&)>& accepts,
                            const QString& caption, const QString& note = QString());
