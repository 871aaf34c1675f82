#include "webaddr/FormAddIE.h"

#include "common/CardException.h"
#include "webaddr/IE.h"
#include "webaddr/StoredAddress.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormAddIE::TFormAddIE(QWidget* parent) : TFormBaseIE(parent)
{
    setWindowTitle(QStringLiteral("新建网址"));

    chkKeepAdding = new QCheckBox(QStringLiteral("保存后继续新建"), pnlBottom);
    if (auto* bar = qobject_cast<QHBoxLayout*>(pnlBottom->layout())) {
        bar->insertSpacing(0, 26);
        bar->insertWidget(1, chkKeepAdding);
    }
    // Saving the same address again stays allowed; the line only says where it is kept.
    lblStoredAt = new QLabel(Body);
    QPalette grey = lblStoredAt->palette();
    grey.setColor(QPalette::WindowText, Qt::gray);
    lblStoredAt->setPalette(grey);
    lblStoredAt->hide();
    AddressColumn->addWidget(lblStoredAt);
    ConnectGuarded(edtIE, &QLineEdit::textChanged, this, [this] { ShowWhereStored(); });

    setTabOrder(mmoRemark, chkKeepAdding);
    setTabOrder(chkKeepAdding, btnOK);
}

TFormAddIE::~TFormAddIE() = default;

void TFormAddIE::btnOKClick()
{
    ValidateUrl();
    CopyToStore();
    IEStore.InsertAddress();
    ++Saved;
    if (chkKeepAdding->isChecked())
        ClearForNext();
    else
        SetModalResult(mrOK);
}

void TFormAddIE::ShowWhereStored()
{
    const QString path = StoredAddressPath(edtIE->text());
    lblStoredAt->setText(QStringLiteral("已保存在：") + path);
    lblStoredAt->setVisible(!path.isEmpty());
}

void TFormAddIE::ClearForNext()
{
    edtIE->clear();
    edtName->clear();
    mmoRemark->clear();
    edtIE->setFocus();
}
