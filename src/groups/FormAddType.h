#pragma once

#include "controls/FormBaseDlg.h"

#include <functional>

class QLabel;
class QLineEdit;
class TUserDialogs;

// The new-group dialog "新建组": where the group will go, and its name. OK refuses a name of
// blanks, and one the name check throws for: the refusal shows over the dialog, which stays open
// with the name selected for typing again. The name itself is handed back as typed.
class TFormAddType final : public TFormBaseDlg
{
    Q_OBJECT

public:
    explicit TFormAddType(TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormAddType() override;

    QLabel* lblPos = nullptr;
    QLineEdit* edtPos = nullptr;
    QLabel* lblTitle = nullptr;
    QLineEdit* edtName = nullptr;

    // Throws the refusal of a name that cannot be taken; optional.
    std::function<void(const QString& name)> CheckName;

protected:
    void btnOKClick() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Ctrl+D and Ctrl+T stamp the date (and time) at the caret; true when it did, and then the
    // key goes no further.
    bool edtNameKeyDown(int key, Qt::KeyboardModifiers modifiers);
    TUserDialogs& FDialogs;
};
