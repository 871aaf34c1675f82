#pragma once

class QLineEdit;
class QWidget;

// A password edit of the program's dialogs: 121 pixels wide, every character shown as "*".
QLineEdit* NewPasswordEdit(QWidget* parent);
