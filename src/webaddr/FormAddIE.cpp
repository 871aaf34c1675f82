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

    chk1 = new QCheckBox(QStringLiteral("保存后继续新建"), pnlBottom);
    if (auto* bar = qobject_cast<QHBoxLayout*>(pnlBottom->layout())) {
        bar->insertSpacing(0, 26);
        bar->insertWidget(1, chk1);
    }
    setTabOrder(mmoRemark, chk1);
    setTabOrder(chk1, btnOK);
}

TFormAddIE::~TFormAddIE() = default;

void TFormAddIE::btnOKClick()
{
    ValidateUrl();
    CopyToStore();
    IEStore.InsertAddress();
    ++Saved;
    if (chk1->isChecked())
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
