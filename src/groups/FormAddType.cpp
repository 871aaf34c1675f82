#include "groups/FormAddType.h"

#include "common/CardException.h"
#include "common/Messages.h"
#include "common/TextUtil.h"
#include "groups/DateStamp.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <limits>

TFormAddType::TFormAddType(TUserDialogs& dialogs, QWidget* parent)
    : TFormBaseDlg(parent), FDialogs(dialogs)
{
    setWindowTitle(tr("新建组"));
    resize(374, 201);

    lblPos = new QLabel(tr("所在位置"), Body);
    edtPos = new QLineEdit(Body);
    lblTitle = new QLabel(tr("组名"), Body);
    edtName = new QLineEdit(Body);

    for (QLabel* label : {lblPos, lblTitle}) {
        label->setMinimumWidth(70);
        label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    for (QLineEdit* edit : {edtPos, edtName}) {
        edit->setMinimumSize(185, 21);
        edit->setMaxLength(std::numeric_limits<int>::max()); // a stored name is never cut
    }
    edtPos->setReadOnly(true);
    QPalette face = edtPos->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    edtPos->setPalette(face);
    lblPos->setBuddy(edtPos);
    lblTitle->setBuddy(edtName);
    edtPos->setAccessibleName(tr("所在位置"));
    edtPos->setAccessibleDescription(tr("新分组将放在这个分组下面"));
    edtName->setAccessibleName(tr("组名"));
    edtName->setAccessibleDescription(tr("Ctrl+D 插入日期，Ctrl+T 插入日期时间"));

    // Labels at 32, edits at 120; the rows 40 apart.
    auto* grid = new QGridLayout(Body);
    grid->setContentsMargins(32, 24, 0, 0);
    grid->setHorizontalSpacing(18);
    grid->setVerticalSpacing(19);
    grid->addWidget(lblPos, 0, 0);
    grid->addWidget(edtPos, 0, 1);
    grid->addWidget(lblTitle, 1, 0);
    grid->addWidget(edtName, 1, 1);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(2, 1);

    setTabOrder(edtPos, edtName);
    setTabOrder(edtName, btnOK);
    edtName->setFocus();
    edtName->installEventFilter(this);
}

TFormAddType::~TFormAddType() = default;

void TFormAddType::btnOKClick()
{
    if (IsBlank(edtName->text())) {
        ShowInfo(FDialogs, tr("名称不能为空!"));
        return;
    }
    if (CheckName) {
        // Selected first: a refusal leaves the name ready to be typed over.
        edtName->selectAll();
        edtName->setFocus();
        CheckName(edtName->text());
    }
    SetModalResult(mrOK);
}

bool TFormAddType::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edtName && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        bool stamped = false;
        RunGuarded([&] { stamped = edtNameKeyDown(key->key(), key->modifiers()); });
        // On X11 desktops the edit would take Ctrl+D on to delete the character after the stamp.
        if (stamped)
            return true;
    }
    return TFormBaseDlg::eventFilter(watched, event);
}

bool TFormAddType::edtNameKeyDown(int key, Qt::KeyboardModifiers modifiers)
{
    bool withTime = false;
    if (!IsDateStampKey(key, modifiers, withTime))
        return false;
    edtName->insert(DateStamp(withTime));
    return true;
}
