#include "settings/FormConfig.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/TextUtil.h"
#include "settings/Config.h"
#include "settings/FormPass.h"
#include "settings/PasswordEdit.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
QLabel* NewCaption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setFixedWidth(60);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    return label;
}
} // namespace

TFormConfig::TFormConfig(QWidget* parent) : TFormBaseDlg(parent)
{
    setObjectName(QStringLiteral("FormConfig"));
    setWindowTitle(QStringLiteral("软件设置"));
    resize(290, 231);

    chkPass = new QCheckBox(QStringLiteral("登录需输入密码"), Body);
    chkPass->setFixedWidth(145);
    edtPass = NewPasswordEdit(Body);
    edtRePass = NewPasswordEdit(Body);
    lblPass = NewCaption(QStringLiteral("密码"), edtPass, Body);
    lblRePass = NewCaption(QStringLiteral("再输入次"), edtRePass, Body);

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(24, 28, 0, 0);
    grid->setHorizontalSpacing(28);
    grid->setVerticalSpacing(11);
    // The box stands a little right of the captions.
    auto* row = new QHBoxLayout;
    row->addSpacing(16);
    row->addWidget(chkPass);
    row->addStretch(1);
    grid->addLayout(row, 0, 0, 1, 3);
    grid->setRowMinimumHeight(0, 38);
    grid->addWidget(lblPass, 1, 0);
    grid->addWidget(edtPass, 1, 1);
    grid->addWidget(lblRePass, 2, 0);
    grid->addWidget(edtRePass, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(3, 1);

    setTabOrder(btnCancel, chkPass);
    setTabOrder(chkPass, edtPass);
    setTabOrder(edtPass, edtRePass);

    // Only the user's click reacts; the box set from the settings does not.
    ConnectGuarded(chkPass, &QCheckBox::clicked, this, [this] { chkPassClick(); });
    FormShow();
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormShow()
{
    chkPass->setChecked(Config.bPass);
    edtPass->setText(Config.PassWord);
    edtRePass->setText(Config.PassWord);
    edtPass->setEnabled(true);
    edtRePass->setEnabled(true);
}

void TFormConfig::chkPassClick()
{
    const bool ticked = chkPass->isChecked();
    edtPass->setEnabled(ticked);
    edtRePass->setEnabled(ticked);
    const QString text = ticked ? Config.PassWord : QString();
    edtPass->setText(text);
    edtRePass->setText(text);
}

void TFormConfig::btnOKClick()
{
    const bool ticked = chkPass->isChecked();
    if (ticked) {
        if (IsBlank(edtPass->text())) {
            edtPass->setFocus();
            throw ECardError(QStringLiteral("密码不能为空!"));
        }
        if (edtPass->text() != edtRePass->text()) {
            edtPass->setFocus();
            throw ECardError(QStringLiteral("两次输入的密码不一样,请重新输入!"));
        }
        if (!Config.PassWord.isEmpty() && edtPass->text() != Config.PassWord &&
            AskPassword(Config.PassWord, QStringLiteral("请先输入旧密码")) != mrOK)
            return;
    } else if (!Config.PassWord.isEmpty() &&
               AskPassword(Config.PassWord, QStringLiteral("请先输入密码才可以取消登录密码")) !=
                   mrOK) {
        return;
    }

    // The settings take the new values only once they are stored: a failed save leaves both
    // SysSet and Config as they were.
    TConfig changed = Config;
    changed.bPass = ticked;
    changed.PassWord = edtPass->text();
    changed.SaveConfig();
    Config = changed;
    SetModalResult(mrOK);
}

bool ShowConfigDialog()
{
    TFormConfig form;
    return form.ShowModal() == mrOK;
}
