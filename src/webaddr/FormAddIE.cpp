#include "webaddr/FormAddIE.h"

#include "webaddr/IE.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

TFormAddIE::TFormAddIE(QWidget* parent) : TFormBaseIE(parent)
{
    setWindowTitle(QStringLiteral("新建网址"));

    chkKeepAdding = new QCheckBox(QStringLiteral("保存后继续新建"), pnlBottom);
    if (auto* bar = qobject_cast<QHBoxLayout*>(pnlBottom->layout())) {
        bar->insertSpacing(0, 26);
        bar->insertWidget(1, chkKeepAdding);
    }
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

void TFormAddIE::ClearForNext()
{
    edtIE->clear();
    edtName->clear();
    mmoRemark->clear();
    edtIE->setFocus();
}
