#pragma once

#include "common/UserDialogs.h"

// The real dialogs: QMessageBox, QFileDialog, the system clipboard and QDesktopServices.
class TQtUserDialogs final : public TUserDialogs
{
public:
    bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) override;
    QString SaveFileName(const QString& filter) override;
    QString OpenFileName(const QString& filter) override;
    QString DirectoryName() override;
    QString ClipboardText() override;
    void OpenUrl(const QUrl& url) override;
};
