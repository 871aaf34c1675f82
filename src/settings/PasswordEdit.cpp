#include "settings/PasswordEdit.h"

#include <QLineEdit>

QLineEdit* NewPasswordEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    // The desktop's own mask character varies; the program shows "*".
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    edit->setFixedWidth(121);
    return edit;
}
