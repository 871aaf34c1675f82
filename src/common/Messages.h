#pragma once

#include <QString>
#include <QStringList>

class TUserDialogs;

// The program's four message boxes, all modal, shown through the dialogs handed in.
// Caption "提示".
void ShowInfo(TUserDialogs& dialogs, const QString& text);
// Caption "确认"; No is the default; true on Yes.
bool AskYesNo(TUserDialogs& dialogs, const QString& text);
// Caption "错误".
void ShowError(TUserDialogs& dialogs, const QString& text);
// A question with the given buttons (caption "确认"); the first is the default, the last is what
// closing the box answers. Returns the index of the button chosen.
int AskChoice(TUserDialogs& dialogs, const QString& text, const QStringList& buttons);

// The database error box: the headline, then "详细信息：" and the details. A non-empty statement
// is written to the daily log after the box is closed.
void ShowDbError(TUserDialogs& dialogs, const QString& headline, const QString& details,
                 const QString& statement);

// Opens a web address, file or document with the desktop's default handler. A bare host name
// such as www.example.org opens as a web address. Of a text with several lines the first
// non-blank line is opened, trimmed. Where the desktop has nothing to open it with, an error box
// says so and shows the address, so that the user can take it elsewhere.
void OpenUrl(TUserDialogs& dialogs, const QString& target);
