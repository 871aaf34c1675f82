#pragma once

#include <QString>

class TDbAccess;

// Where an address is already kept: the path of the group of the first stored address equal to
// the text ("全部->工作->资料"; "全部" for no group), or an empty text when none is. The text is
// also tried without surrounding blanks.
QString StoredAddressPath(TDbAccess& dbAccess, const QString& url);
