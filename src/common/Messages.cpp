#include "common/Messages.h"

#include "common/DailyLog.h"
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
    const QUrl url = QUrl::fromUserInput(target);
    if (url.isValid())
        UserDialogs().OpenUrl(url);
}
