#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;
class TDbAccess;
class TUserDialogs;

// The program's version, as the build gives it.
QString ProgramVersion();

// "关于 Velmora": the program's name and version, the folder of the data file with a way to
// open it, whether the data file is encrypted with the login password, and the licence.
class TFormAbout final : public QDialog
{
    Q_OBJECT

public:
    // Tells whether the file behind the connection is encrypted; the folder opens through the
    // dialogs.
    TFormAbout(const TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent);

    QLabel* lblName = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblFolder = nullptr;
    QLineEdit* edtFolder = nullptr; // read-only, so that the path can be selected and copied
    QPushButton* btnOpenFolder = nullptr;
    QLabel* lblEncryption = nullptr;
    QLabel* lblSynced = nullptr; // a sync program keeps the data folder
    QLabel* lblLicence = nullptr;
    QPushButton* btnClose = nullptr;
};

// Shows "关于 Velmora" modally.
void ShowAboutDialog(const TDbAccess& dbAccess, TUserDialogs& dialogs, QWidget* parent);
