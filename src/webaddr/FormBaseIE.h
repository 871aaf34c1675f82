#pragma once

#include "controls/FormBaseDlg.h"

class QColor;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPalette;
class QPlainTextEdit;
class QToolButton;
class QVBoxLayout;
class TCardEdtBut;
class TIE;
class TUserDialogs;

// What the new-address and modify-address dialogs share: the group field with its chooser, the
// address with the icon that opens it, the title and the remark. Never shown on its own.
class TFormBaseIE : public TFormBaseDlg
{
    Q_OBJECT

public:
    // The address is read from and written to the given store; the dialog asks the user through
    // the given dialogs.
    TFormBaseIE(TIE& store, TUserDialogs& dialogs, QWidget* parent = nullptr);
    ~TFormBaseIE() override;

    // The group the address is saved with; 0 is the root "全部".
    qint32 GroupID = 0;

    QLabel* lblGroup = nullptr;
    TCardEdtBut* edtGroup = nullptr;
    QLabel* lblAddress = nullptr;
    QLineEdit* edtIE = nullptr;
    QToolButton* imgOpen = nullptr; // the globe: opens the address in the browser
    QLabel* lblTitle = nullptr;
    QLineEdit* edtName = nullptr;
    QLabel* lblRemark = nullptr;
    QPlainTextEdit* mmoRemark = nullptr;

    // The group button: lets the user choose another group.
    void edtGroupButClick();
    // The globe: opens the typed address, untrimmed, unless it is blank.
    void imgOpenClick();

    // Shows a stored remark. The memo writes every line break as a line feed; a remark the user
    // leaves untouched is saved back exactly as it was stored.
    void SetRemark(const QString& remark);
    QString Remark() const;

    // The colour of the address text on the palette's base.
    static QColor AddressColour(const QPalette& palette);

protected:
    // False, after telling the user, for a blank address.
    bool ValidateUrl();
    // Puts the group and the three texts, as typed, into the address store.
    void CopyToStore() const;
    TIE& Store() const { return FStore; }

    void showEvent(QShowEvent* event) override;

    // The address field's column; a dialog may add a line under the field.
    QVBoxLayout* AddressColumn = nullptr;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // F4 or Alt+Down: open the group chooser, as a drop-down list opens.
    static bool IsChooserKey(const QKeyEvent& key);
    // Ctrl+Enter: OK, also from inside the remark.
    static bool IsOKKey(const QKeyEvent& key);

    TIE& FStore;
    TUserDialogs& FDialogs;
    QString FStoredRemark;
    QString FShownRemark;
};
