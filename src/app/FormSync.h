#pragma once

#include "controls/FormBaseDlg.h"
#include "sync/SyncSettings.h"

class QLabel;
class QLineEdit;
class QPushButton;
class TUserDialogs;

// "多台电脑同步": the folder that the user's sync program keeps in step between computers, and
// this computer's name as the others show it. OK refuses a folder that does not exist, cannot be
// written, or is the data file's own folder (the live data file must never be in a synced
// folder): the refusal shows over the dialog, which stays open. While sync is on, "停止同步"
// turns it off.
class TFormSync final : public TFormBaseDlg
{
    Q_OBJECT

public:
    TFormSync(TUserDialogs& dialogs, const QString& dataFolder, QWidget* parent = nullptr);
    ~TFormSync() override;

    void SetSettings(const TSyncSettings& settings);
    // The settings as chosen; no folder after "停止同步".
    TSyncSettings Settings() const;

    QLabel* lblFolder = nullptr; // "同步文件夹"
    QLineEdit* edtFolder = nullptr;
    QPushButton* btnBrowse = nullptr;
    QLabel* lblName = nullptr; // "本机名称"
    QLineEdit* edtName = nullptr;
    QPushButton* btnStopSync = nullptr; // "停止同步", only while sync is on

protected:
    void btnOKClick() override;

private:
    void btnBrowseClick();
    // Throws the refusal of a folder that cannot serve.
    void RequireUsableFolder(const QString& folder) const;

    TUserDialogs& FDialogs;
    QString FDataFolder;
    TSyncSettings FSettings;
    bool FStopChosen = false;
};

// Shows the dialog over the settings in force; true when they changed (and were saved).
bool ShowSyncDialog(TSyncSettings& settings, const QString& dataFolder, TUserDialogs& dialogs,
                    QWidget* parent = nullptr);
