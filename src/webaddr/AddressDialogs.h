#pragma once

#include "controls/FormBaseDlg.h"

#include <QString>

class TIE;
class TUserDialogs;

// The clipboard's text when it looks like a web address: it holds "http", "www", ".com", ".cn",
// ".net" or ".gov" (letter case significant). The text is taken whole, as it stands; anything
// else gives an empty text.
QString ReadClipboardUrl(TUserDialogs& dialogs);

// Opens the new-address dialog over the store in the given group, the address prefilled from the
// clipboard. mrOK only when a save closed the dialog. saved, when given, receives how many
// addresses were saved, also when the dialog ended with Cancel after "保存后继续新建".
TModalResult ShowAddAddress(TIE& store, TUserDialogs& dialogs, qint32 groupId,
                            const QString& groupName, int* saved = nullptr);

// Opens the modify-address dialog on the address with that ID (decimal text); mrOK when the
// change was saved.
TModalResult ShowModifyAddress(TIE& store, TUserDialogs& dialogs, const QString& id);
