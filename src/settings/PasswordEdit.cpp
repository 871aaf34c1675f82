#include "settings/PasswordEdit.h"

#include <QLineEdit>
#include <limits>

QLineEdit* NewPasswordEdit(QWidget* parent)
{
    auto* edit = new QLineEdit(parent);
    edit->setEchoMode(QLineEdit::Password);
    // The desktop's own mask character varies; the program shows "*".
    edit->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    // The design width, or sixteen characters of a larger font.
    edit->setFixedWidth(qMax(121, 16 * edit->fontMetrics().averageCharWidth()));
    edit->setMaxLength(std::numeric_limits<int>::max()); // a stored password is never cut
    return edit;
}
