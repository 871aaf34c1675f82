#include "common/Messages.h"

#include "common/DailyLog.h"
#include "common/TextUtil.h"
#include "common/UserDialogs.h"

#include <QUrl>

void ShowInfo(const QString& text)
{
    UserDialogs().MessageBox(TBoxKind::Information, QStringLiteral("提示"), text);
}

bool AskYesNo(const QString& text)
{
    return UserDialogs().MessageBox(TBoxKind::Question, QStringLiteral("确认"), text);
}

int AskChoice(const QString& text, const QStringList& buttons)
{
    return UserDialogs().Choose(QStringLiteral("确认"), text, buttons);
}

void ShowError(const QString& text)
{
    UserDialogs().MessageBox(TBoxKind::Error, QStringLiteral("错误"), text);
}

void ShowDbError(const QString& headline, const QString& details, const QString& statement)
{
    const QString crlf = QStringLiteral("\r\n");
    const QString box = headline + crlf + QStringLiteral("详细信息：") + details;
    UserDialogs().MessageBox(TBoxKind::Error, QStringLiteral("错误"), box);
    if (!statement.isEmpty())
        WriteLog(box + crlf + statement);
}

void OpenUrl(const QString& target)
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
    if (url.isValid())
        UserDialogs().OpenUrl(url);
}
