#pragma once

#include "common/UserDialogs.h"

#include <QString>

// The program's filters pair a text with its patterns, "数据文件 (*.bat)|*.bat" (more pairs and
// ';' between patterns allowed); Qt takes the text with the patterns in brackets, pairs apart by
// ";;". The patterns are added to a text that doesn't end with them already.
QString QtFileFilter(const QString& filter);

// The real dialogs: QMessageBox, QFileDialog, the system clipboard and QDesktopServices.
class TQtUserDialogs final : public TUserDialogs
{
public:
    bool MessageBox(TBoxKind kind, const QString& caption, const QString& text) override;
    int Choose(const QString& caption, const QString& text, const QStringList& buttons) override;
    QString SaveFileName(const QString& filter) override;
    QString OpenFileName(const QString& filter, const QString& folder) override;
    QString DirectoryName() override;
    QString ClipboardText() override;
    bool OpenUrl(const QUrl& url) override;
};
