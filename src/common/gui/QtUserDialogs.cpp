#include "common/gui/QtUserDialogs.h"

#include "common/TextUtil.h"
#include "common/gui/AccessibleName.h"
#include "common/gui/ScreenCentre.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QUrl>

namespace {
// Boxes and file dialogs are parented to the active window so they stay above it.
QWidget* Owner()
{
    return QApplication::activeWindow();
}
// A box never grows past the screen: a run too long for it without a blank (a deep path, a long
// value) is cut in the middle, and only the first lines of a long text are shown. Sentences wrap
// in the box and stay whole.
QString Shortened(const QString& text)
{
    constexpr qsizetype MaxRunLength = 160;
    constexpr qsizetype MaxLines = 16;
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    QStringList lines = text.split(QLatin1Char('\n'));
    if (lines.size() > MaxLines) {
        lines = lines.mid(0, MaxLines - 1);
        lines << QString(QChar(0x2026));
    }
    for (QString& line : lines) {
        QString shortened;
        qsizetype from = 0;
        for (auto blank = blanks.globalMatch(line); blank.hasNext();) {
            const QRegularExpressionMatch match = blank.next();
            shortened += ElidedText(line.mid(from, match.capturedStart() - from), MaxRunLength) +
                         match.captured();
            from = match.capturedEnd();
        }
        line = shortened + ElidedText(line.mid(from), MaxRunLength);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

QString QtFileFilter(const QString& filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    if (parts.size() < 2)
        return filter;
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QStringLiteral("(") +
                                 parts.at(i + 1).split(QLatin1Char(';')).join(QLatin1Char(' ')) +
                                 QLatin1Char(')');
        const QString text = parts.at(i).trimmed();
        filters << (text.endsWith(patterns) ? text : text + QLatin1Char(' ') + patterns);
    }
    return filters.join(QStringLiteral(";;"));
}

bool TQtUserDialogs::MessageBox(TBoxKind kind, const QString& caption, const QString& text)
{
    QMessageBox box(Owner());
    if (!box.parentWidget())
        KeepCentredOnScreen(box);
    box.setWindowTitle(caption);
    box.setText(Shortened(text));
    // Whatever the box leaves out is there in full, in a scrolling field of its own.
    if (box.text() != text)
        box.setDetailedText(text);
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
        box.button(QMessageBox::Yes)
            ->setText(QCoreApplication::translate("TQtUserDialogs", "是(&Y)"));
        box.button(QMessageBox::No)
            ->setText(QCoreApplication::translate("TQtUserDialogs", "否(&N)"));
        for (QAbstractButton* button : box.buttons())
            button->setAccessibleName(WithoutMnemonic(button->text()));
        break;
    case TBoxKind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    // The program's own words, whatever Qt's own translations are.
    if (QAbstractButton* ok = box.button(QMessageBox::Ok))
        ok->setText(QCoreApplication::translate("TQtUserDialogs", "确定"));
    // A box is a dialog: a title and a close box, never minimise or maximise.
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    const int answer = box.exec();
    return kind == TBoxKind::Question ? answer == QMessageBox::Yes : true;
}

int TQtUserDialogs::Choose(const QString& caption, const QString& text, const QStringList& buttons)
{
    QMessageBox box(Owner());
    if (!box.parentWidget())
        KeepCentredOnScreen(box);
    box.setWindowTitle(caption);
    box.setText(text);
    box.setIcon(QMessageBox::Question);
    QList<QAbstractButton*> added;
    for (const QString& label : buttons)
        added << box.addButton(label, added.size() + 1 == buttons.size() ? QMessageBox::RejectRole
                                                                         : QMessageBox::AcceptRole);
    for (QAbstractButton* button : added)
        button->setAccessibleName(WithoutMnemonic(button->text()));
    if (!added.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
        box.setEscapeButton(added.last());
    }
    box.setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                       Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    box.exec();
    const qsizetype chosen = added.indexOf(box.clickedButton());
    return int(chosen < 0 ? buttons.size() - 1 : chosen);
}

QString TQtUserDialogs::SaveFileName(const QString& filter)
{
    return QFileDialog::getSaveFileName(Owner(), QString(), QString(), QtFileFilter(filter),
                                        nullptr, QFileDialog::DontConfirmOverwrite);
}

QString TQtUserDialogs::OpenFileName(const QString& filter, const QString& folder)
{
    // Like the save dialog, the open dialog hands back a typed name even when no such file
    // exists; the command that asked checks it.
    QFileDialog dialog(Owner(), QString(), folder, QtFileFilter(filter));
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

bool TQtUserDialogs::OpenUrl(const QUrl& url)
{
    return QDesktopServices::openUrl(url);
}
