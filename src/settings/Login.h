#pragma once

class QByteArray;
class QString;
class TDbAccess;
class TConfig;
class TFileKey;
class TUserDialogs;

// The opening of the data file at start. A file that opens with the standard key is open at
// once. One that does not is taken for a file encrypted with the login password: the login
// prompt asks for it with the note "数据文件已加密，请输入登录密码" until a password opens the
// file or the user cancels. Opened: the file is open. Refused: the user cancelled and nothing was
// written. Failed: the file cannot be opened at all; the reason was shown. Once open, the copies
// the program made follow the file's key (FinishCopyKeys).
enum class TStartOpen
{
    Opened,
    Refused,
    Failed
};
TStartOpen OpenDataFileAtStart(TDbAccess& dbAccess, TUserDialogs& dialogs);

// Opens the data file with the key the password gives with the file's salt. False when the key
// does not fit; any other failure throws.
bool OpenWithPassword(TDbAccess& dbAccess, const QString& password, const QByteArray& salt);

// Asks "输入密码解锁 Velmora" until the login password opens the data file again or the user
// cancels; true when the file is open and the settings loaded into config. A file encrypted with
// the password opens with the key it gives; another one opens with the standard key and must hold
// the password typed. The copies the program made then follow the file's key.
bool UnlockDataFile(TConfig& config, TUserDialogs& dialogs, bool encrypted);

// The login of the main window's first showing: loads the settings into config and, when the login
// password is on, asks for it under "先输入密码登录软件". True when the user may go on, false when
// the prompt was refused. A file that the password opened has proven it already and asks nothing
// more. A failure to read the settings propagates.
bool LoginAtStart(TConfig& config, TUserDialogs& dialogs);

// LoginAtStart run through the error handler: a failure is shown, and it counts as a refusal,
// so the program never opens without asking for a password that may be on.
bool LoginAtStartGuarded(TConfig& config, TUserDialogs& dialogs) noexcept;
