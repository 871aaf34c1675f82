#include "settings/FormConfig.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "common/gui/AccessibleName.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "settings/Config.h"
#include "settings/FileEncryption.h"
#include "settings/FormPass.h"
#include "settings/LockSettings.h"
#include "settings/PasswordEdit.h"
#include "settings/WaitCursor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>

#include <initializer_list>

namespace {
QLabel* NewCaption(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setMinimumWidth(qMax(60, label->sizeHint().width()));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(buddy);
    buddy->setAccessibleName(text);
    return label;
}
} // namespace

TFormConfig::TFormConfig(TConfig& config, TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseDlg(parent), FConfig(config), FDialogs(dialogs)
{
    setObjectName(QStringLiteral("FormConfig"));
    setWindowTitle(tr("软件设置"));
    resize(330, 330);

    chkPass = new QCheckBox(tr("登录需输入密码"), Body);
    chkEncrypt = new QCheckBox(tr("用登录密码加密数据文件(&E)"), Body);
    chkEncrypt->setAccessibleName(WithoutMnemonic(chkEncrypt->text()));
    chkEncrypt->setAccessibleDescription(tr("只有输入登录密码才能打开数据文件"));
    edtPass = NewPasswordEdit(Body);
    edtRePass = NewPasswordEdit(Body);
    lblPass = NewCaption(tr("密码"), edtPass, Body);
    lblRePass = NewCaption(tr("再输入次"), edtRePass, Body);
    edtRePass->setAccessibleName(tr("再输入一次密码"));
    spnIdleLock = new QSpinBox(Body);
    spnIdleLock->setRange(0, TLockSettings::MaxIdleMinutes);
    lblIdleLock = new QLabel(tr("空闲时自动锁定（分钟，0 为不锁定）"), Body);
    lblIdleLock->setBuddy(spnIdleLock);
    spnIdleLock->setAccessibleName(tr("空闲时自动锁定"));
    spnIdleLock->setAccessibleDescription(tr("空闲多少分钟后自动锁定，0 为不锁定"));
    chkLockOnMinimize = new QCheckBox(tr("最小化时锁定"), Body);

    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(24, 28, 0, 0);
    grid->setHorizontalSpacing(28);
    grid->setVerticalSpacing(11);
    // The boxes stand a little right of the captions.
    const auto addIndented = [grid](std::initializer_list<QWidget*> widgets, int row) {
        auto* line = new QHBoxLayout;
        line->addSpacing(16);
        for (QWidget* widget : widgets)
            line->addWidget(widget);
        line->addStretch(1);
        grid->addLayout(line, row, 0, 1, 3);
    };
    addIndented({chkPass}, 0);
    addIndented({chkEncrypt}, 1);
    grid->addWidget(lblPass, 2, 0);
    grid->addWidget(edtPass, 2, 1);
    grid->addWidget(lblRePass, 3, 0);
    grid->addWidget(edtRePass, 3, 1);
    grid->setRowMinimumHeight(4, 12);
    addIndented({lblIdleLock, spnIdleLock}, 5);
    addIndented({chkLockOnMinimize}, 6);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(7, 1);

    setTabOrder(btnCancel, chkPass);
    setTabOrder(chkPass, chkEncrypt);
    setTabOrder(chkEncrypt, edtPass);
    setTabOrder(edtPass, edtRePass);
    setTabOrder(edtRePass, spnIdleLock);
    setTabOrder(spnIdleLock, chkLockOnMinimize);

    // The design size is the least; a larger font makes the dialog grow instead of cutting.
    setMinimumSize(QSize(330, 330).expandedTo(minimumSizeHint()));
    resize(minimumSize());

    // Only the user's click reacts; the box set from the settings does not.
    ConnectGuarded(chkPass, &QCheckBox::clicked, this, [this] { chkPassClick(); });
    FormShow();
}

TFormConfig::~TFormConfig() = default;

void TFormConfig::FormShow()
{
    chkPass->setChecked(FConfig.bPass);
    chkEncrypt->setChecked(!FConfig.Connection().Key().IsStandard());
    chkEncrypt->setEnabled(FConfig.bPass);
    const TLockSettings lock = TLockSettings::Load();
    spnIdleLock->setValue(lock.IdleMinutes);
    chkLockOnMinimize->setChecked(lock.OnMinimize);
    edtPass->setText(FConfig.PassWord);
    edtRePass->setText(FConfig.PassWord);
    edtPass->setEnabled(true);
    edtRePass->setEnabled(true);
}

void TFormConfig::chkPassClick()
{
    const bool ticked = chkPass->isChecked();
    edtPass->setEnabled(ticked);
    edtRePass->setEnabled(ticked);
    chkEncrypt->setEnabled(ticked);
    if (!ticked)
        chkEncrypt->setChecked(false);
    const QString text = ticked ? FConfig.PassWord : QString();
    edtPass->setText(text);
    edtRePass->setText(text);
}

QString TFormConfig::RefusedPassword() const
{
    if (IsBlank(edtPass->text()))
        return tr("密码不能为空!");
    if (edtPass->text() != edtRePass->text())
        return tr("两次输入的密码不一样,请重新输入!");
    return {};
}

void TFormConfig::btnOKClick()
{
    const bool ticked = chkPass->isChecked();
    if (ticked) {
        const QString refused = RefusedPassword();
        if (!refused.isEmpty()) {
            edtPass->setFocus();
            ShowError(FDialogs, refused);
            return;
        }
        if (!FConfig.PassWord.isEmpty() && edtPass->text() != FConfig.PassWord &&
            AskPassword(FDialogs, FConfig.PassWord, tr("请先输入旧密码")) != mrOK)
            return;
    } else if (!FConfig.PassWord.isEmpty() &&
               AskPassword(FDialogs, FConfig.PassWord, tr("请先输入密码才可以取消登录密码")) !=
                   mrOK) {
        return;
    }

    const bool encrypt = ticked && chkEncrypt->isChecked();
    if (encrypt && FConfig.Connection().Key().IsStandard() &&
        !AskYesNo(
            FDialogs,
            tr("加密后，只有输入登录密码才能打开数据文件和 Velmora "
               "自动保存的备份。忘记密码将无法找回数据。你自己另存的备份不会改变。确定要加密吗？")))
        return;

    // The settings take the new values only once they are stored: a failed save leaves both
    // SysSet and the settings as they were.
    TConfig changed = FConfig;
    changed.bPass = ticked;
    changed.PassWord = edtPass->text();
    SaveSettings(changed, encrypt);
    FConfig = changed;
    TLockSettings lock;
    lock.IdleMinutes = spnIdleLock->value();
    lock.OnMinimize = chkLockOnMinimize->isChecked();
    lock.Save();
    SetModalResult(mrOK);
}

void TFormConfig::SaveSettings(const TConfig& changed, bool encrypt)
{
    const bool encrypted = !FConfig.Connection().Key().IsStandard();
    if (encrypt == encrypted && (!encrypt || changed.PassWord == FConfig.PassWord)) {
        TConfig(changed).SaveConfig();
        return;
    }
    // The settings go into the file written under the new key, so that the file and its
    // password never part, whenever the program may stop.
    const TWaitCursor waiting;
    ChangeFileKey(FConfig.Connection(), KeyForSettings(encrypt, changed.PassWord),
                  changed.SaveStatement());
}

bool ShowConfigDialog(TConfig& config, TUserDialogs& dialogs)
{
    TFormConfig form(config, dialogs);
    return form.ShowModal() == mrOK;
}
