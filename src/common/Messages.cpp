#include "common/Messages.h"

#include "common/DailyLog.h"
#include "common/TextUtil.h"
#include "common/UserDialogs.h"

#include <QCoreApplication>
#include <QUrl>

namespace {
// The database error box says it, and the log in the source language.
const char* const DetailsLabel = QT_TRANSLATE_NOOP("Messages", "详细信息：");
} // namespace

void ShowInfo(TUserDialogs& dialogs, const QString& text)
{
    dialogs.MessageBox(TBoxKind::Information, QCoreApplication::translate("Messages", "提示"),
                       text);
}

bool AskYesNo(TUserDialogs& dialogs, const QString& text)
{
    return dialogs.MessageBox(TBoxKind::Question, QCoreApplication::translate("Messages", "确认"),
                              text);
}

int AskChoice(TUserDialogs& dialogs, const QString& text, const QStringList& buttons)
{
    return dialogs.Choose(QCoreApplication::translate("Messages", "确认"), text, buttons);
}

void ShowError(TUserDialogs& dialogs, const QString& text)
{
    dialogs.MessageBox(TBoxKind::Error, QCoreApplication::translate("Messages", "错误"), text);
}

void ShowDbError(TUserDialogs& dialogs, const QString& headline, const QString& details,
                 const QString& statement)
{
    // The user reads the box in the program's language; the log keeps the Chinese. The
    // database errors' headlines are translated here, where they are shown.
    const QString crlf = QStringLiteral("\r\n");
    const QString box = QCoreApplication::translate("DbHint", headline.toUtf8().constData()) +
                        crlf + QCoreApplication::translate("Messages", DetailsLabel) + details;
    dialogs.MessageBox(TBoxKind::Error, QCoreApplication::translate("Messages", "错误"), box);
    if (!statement.isEmpty())
        WriteLog(headline + crlf + QString::fromUtf8(DetailsLabel) + details + crlf + statement);
}

void OpenUrl(TUserDialogs& dialogs, const QString& target)
{
    // A stored address may run over several lines (a pasted text); the browser gets the first
    // line that holds anything, trimmed, rather than all lines run together.
    QString address;
    for (const QString& line : target.split(QLatin1Char('\n'))) {
        address = TrimBlanks(line);
        if (!address.isEmpty())
            break;
    }
    if (address.isEmpty())
        return;
    const QUrl url = QUrl::fromUserInput(address);
    if (url.isValid() && !dialogs.OpenUrl(url))
        ShowError(dialogs, QCoreApplication::translate("Messages", "没有可以打开网址的浏览器") +
                               QLatin1Char('\n') + address);
}
