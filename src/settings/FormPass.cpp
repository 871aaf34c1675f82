#include "settings/FormPass.h"

#include "common/Messages.h"
#include "settings/PasswordEdit.h"
#include "settings/WaitCursor.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TFormPass::TFormPass(TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseDlg(parent), FDialogs(dialogs)
{
    setObjectName(QStringLiteral("FormPass"));
    setWindowTitle(tr("请输入密码"));
    resize(300, 160);

    lblPass = new QLabel(tr("输入密码"), Body);
    lblPass->setMinimumWidth(qMax(65, lblPass->sizeHint().width()));
    edtPass = NewPasswordEdit(Body);
    lblPass->setBuddy(edtPass);
    edtPass->setAccessibleName(tr("密码"));
    lblNote = new QLabel(Body);
    lblNote->setWordWrap(true);
    lblNote->hide();

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(44, 35, 0, 0);
    grid->setHorizontalSpacing(7);
    grid->addWidget(lblNote, 0, 0, 1, 3);
    grid->addWidget(lblPass, 1, 0);
    grid->addWidget(edtPass, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);

    edtPass->setFocus();
}

TFormPass::~TFormPass() = default;

void TFormPass::showEvent(QShowEvent* event)
{
    // The design size is the least; a larger font makes the dialog grow instead of cutting.
    setMinimumSize(QSize(300, 160).expandedTo(minimumSize()).expandedTo(minimumSizeHint()));
    resize(size().expandedTo(minimumSize()));
    TFormBaseDlg::showEvent(event);
    edtPass->setFocus();
}

void TFormPass::SetNote(const QString& note)
{
    lblNote->setText(note);
    lblNote->setVisible(!note.isEmpty());
    if (!note.isEmpty())
        setMinimumHeight(190);
}

QString TFormPass::Caption() const
{
    return windowTitle();
}

bool TFormPass::Show()
{
    return ShowModal() == mrOK;
}

bool TFormPass::Enter(const QString& password)
{
    edtPass->insert(password);
    btnOK->click();
    return ModalResult() == mrOK;
}

void TFormPass::btnOKClick()
{
    bool right = false;
    if (Accepts) {
        const TWaitCursor waiting;
        right = Accepts(edtPass->text());
    } else {
        right = edtPass->text() == ExpectedPassword;
    }
    if (!right) {
        // The next try starts from an empty edit, not after the wrong text.
        edtPass->clear();
        edtPass->setFocus();
        ShowError(FDialogs, tr("密码输入错误!"));
        return;
    }
    SetModalResult(mrOK);
}

TModalResult AskPasswordFor(TUserDialogs& dialogs,
                            const std::function<bool(const QString&)>& accepts,
                            const QString& caption, const QString& note)
{
    TFormPass form(dialogs);
    form.Accepts = accepts;
    form.setWindowTitle(caption);
    form.SetNote(note);
    const TModalResult result = dialogs.AnswerPrompt(form) ? mrOK : mrCancel;
    form.edtPass->clear();
    return result;
}

TModalResult AskPassword(TUserDialogs& dialogs, const QString& expected, const QString& caption)
{
    TFormPass form(dialogs);
    form.ExpectedPassword = expected;
    if (!caption.isEmpty())
        form.setWindowTitle(caption);
    return dialogs.AnswerPrompt(form) ? mrOK : mrCancel;
}
