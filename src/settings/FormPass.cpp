#include "settings/FormPass.h"

#include "common/Errors.h"
#include "settings/PasswordEdit.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

TFormPass::TFormPass(QWidget* parent) : TFormBaseDlg(parent)
{
    setObjectName(QStringLiteral("FormPass"));
    setWindowTitle(QStringLiteral("请输入密码"));
    resize(300, 160);

    lblPass = new QLabel(QStringLiteral("输入密码"), Body);
    lblPass->setFixedWidth(65);
    edtPass = NewPasswordEdit(Body);
    lblPass->setBuddy(edtPass);

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(44, 35, 0, 0);
    grid->setHorizontalSpacing(7);
    grid->addWidget(lblPass, 0, 0);
    grid->addWidget(edtPass, 0, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(1, 1);

    edtPass->setFocus();
}

TFormPass::~TFormPass() = default;

void TFormPass::showEvent(QShowEvent* event)
{
    TFormBaseDlg::showEvent(event);
    edtPass->setFocus();
}

void TFormPass::btnOKClick()
{
    if (edtPass->text() != ExpectedPassword) {
        // The next try starts from an empty edit, not after the wrong text.
        edtPass->clear();
        edtPass->setFocus();
        throw ECardError(QStringLiteral("密码输入错误!"));
    }
    SetModalResult(mrOK);
}

TModalResult AskPassword(const QString& expected, const QString& caption)
{
    TFormPass form;
    form.ExpectedPassword = expected;
    if (!caption.isEmpty())
        form.setWindowTitle(caption);
    return form.ShowModal();
}
