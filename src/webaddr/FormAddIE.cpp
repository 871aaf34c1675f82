#include "webaddr/FormAddIE.h"

#include "common/CardException.h"
#include "common/gui/Contrast.h"
#include "webaddr/IE.h"
#include "webaddr/StoredAddress.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TFormAddIE::TFormAddIE(TIE& store, TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseIE(store, dialogs, parent)
{
    setWindowTitle(tr("新建网址"));

    chkKeepAdding = new QCheckBox(tr("保存后继续新建"), pnlBottom);
    if (auto* bar = qobject_cast<QHBoxLayout*>(pnlBottom->layout())) {
        bar->insertSpacing(0, 26);
        bar->insertWidget(1, chkKeepAdding);
    }
    // Saving the same address again stays allowed; the line only says where it is kept.
    lblStoredAt = new QLabel(Body);
    QPalette grey = lblStoredAt->palette();
    grey.setColor(QPalette::WindowText, SubduedText(grey));
    lblStoredAt->setPalette(grey);
    lblStoredAt->hide();
    AddressColumn->addWidget(lblStoredAt);
    ConnectGuarded(edtIE, &QLineEdit::textChanged, this, [this] { ShowWhereStored(); });

    setTabOrder(mmoRemark, chkKeepAdding);
    setTabOrder(chkKeepAdding, btnOK);
}

TFormAddIE::~TFormAddIE() = default;

QColor TFormAddIE::SubduedText(const QPalette& palette)
{
    // Grey: the text colour taken towards the window's, as far as it still reads well.
    const QColor text = palette.color(QPalette::WindowText);
    const QColor window = palette.color(QPalette::Window);
    for (double share = 0.5; share > 0; share -= 0.1) {
        const QColor mixed =
            QColor::fromRgbF(float(text.redF() + (window.redF() - text.redF()) * share),
                             float(text.greenF() + (window.greenF() - text.greenF()) * share),
                             float(text.blueF() + (window.blueF() - text.blueF()) * share));
        if (ContrastRatio(mixed, window) >= ReadableContrast)
            return mixed;
    }
    return text;
}

void TFormAddIE::btnOKClick()
{
    if (!ValidateUrl())
        return;
    CopyToStore();
    Store().InsertAddress();
    ++Saved;
    if (chkKeepAdding->isChecked())
        ClearForNext();
    else
        SetModalResult(mrOK);
}

void TFormAddIE::ShowWhereStored()
{
    const QString path = StoredAddressPath(Store().Connection(), edtIE->text());
    lblStoredAt->setText(tr("已保存在：%1").arg(path));
    lblStoredAt->setVisible(!path.isEmpty());
}

void TFormAddIE::ClearForNext()
{
    edtIE->clear();
    edtName->clear();
    mmoRemark->clear();
    edtIE->setFocus();
}
