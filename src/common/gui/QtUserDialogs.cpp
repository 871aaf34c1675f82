#include "common/gui/QtUserDialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
// Boxes and file dialogs are parented to the active window so they stay above it.
QWidget* Owner()
{
    return QApplication::activeWindow();
}

// The filters are written the way the user sees them described, "数据文件 (*.bat)|*.bat"; Qt
// wants the description alone.
QString QtFilter(const QString& filter)
{
    return filter.section(QLatin1Char('|'), 0, 0);
}
} // namespace

bool TQtUserDialogs::MessageBox(TBoxKind kind, const QString& caption, const QString& text)
{
    QMessageBox box(Owner());
    box.setWindowTitle(caption);
    box.setText(text);
    switch (kind) {
    case TBoxKind::Information:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case TBoxKind::Question:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        box.button(QMessageBox::Yes)->setText(QStringLiteral("是(&Y)"));
        box.button(QMessageBox::No)->setText(QStringLiteral("否(&N)"));
        break;
    case TBoxKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    // The program speaks Chinese whatever Qt's own translations are.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QStringLiteral("确定"));
    const int answer = box.exec();
    return kind == TBoxKind::Question ? answer == QMessageBox::Yes : true;
}

QString TQtUserDialogs::SaveFileName(const QString& filter)
{
    return QFileDialog::getSaveFileName(Owner(), QString(), QString(), QtFilter(filter), nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

QString TQtUserDialogs::OpenFileName(const QString& filter)
{
    // Like the save dialog, the open dialog hands back a typed name even when no such file
    // exists; the command that asked checks it.
    QFileDialog dialog(Owner(), QString(), QString(), QtFilter(filter));
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString TQtUserDialogs::DirectoryName()
{
    return QFileDialog::getExistingDirectory(Owner());
}

QString TQtUserDialogs::ClipboardText()
{
    return QGuiApplication::clipboard()->text();
}

void TQtUserDialogs::OpenUrl(const QUrl& url)
{
    QDesktopServices::openUrl(url);
}
