#pragma once

#include <QDialog>

#include <QSize>

class QFrame;
class QPushButton;
class QWidget;

// The result of a modal dialog, as the opening functions hand it back.
enum TModalResult
{
    mrNone = 0,
    mrOK = 1,
    mrCancel = 2
};

// Sizes a button of a dialog's bar: the given size at the usual font, larger when its caption
// needs it (a larger font, a longer translation).
void FitButton(QPushButton* button, QSize least = QSize(75, 25));

// The base of every modal dialog of the program: a body over an OK/Cancel bar, with a close box
// only (no minimise or maximise box) and no size grip. Enter presses
// "确定(&O)", Esc and the close box give Cancel. OK closes nothing by itself: a derived dialog
// handles btnOKClick, validates, and calls SetModalResult(mrOK). An input it refuses is told in a
// box and the handler returns, so the dialog stays open; so does an error thrown by the handler.
class TFormBaseDlg : public QDialog
{
    Q_OBJECT

public:
    explicit TFormBaseDlg(QWidget* parent = nullptr);
    ~TFormBaseDlg() override;

    // Shows the dialog modally, centred by Qt on the window it was opened from, or in the middle
    // of the screen when there is none (the login before the main window shows); the answer is
    // mrOK or mrCancel.
    TModalResult ShowModal();
    void SetModalResult(TModalResult result);
    TModalResult ModalResult() const { return FModalResult; }

    QFrame* bvlTop = nullptr;    // line along the top
    QWidget* Body = nullptr;     // the derived dialog's controls go here
    QFrame* bvlBottom = nullptr; // line above the bar
    QWidget* pnlBottom = nullptr;
    QPushButton* btnOK = nullptr;
    QPushButton* btnCancel = nullptr;

protected:
    // The OK button's reaction; runs guarded.
    virtual void btnOKClick() {}

private:
    TModalResult FModalResult = mrNone;
};
