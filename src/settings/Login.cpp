#include "settings/Login.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "common/Messages.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Sqlite.h"
#include "settings/Config.h"
#include "settings/FileEncryption.h"
#include "settings/FormPass.h"

#include <QCoreApplication>

namespace {
QString LoginCaption()
{
    return QCoreApplication::translate("Login", "先输入密码登录软件");
}
} // namespace

bool OpenWithPassword(TDbAccess& dbAccess, const QString& password, const QByteArray& salt)
{
    // A file that cannot be encrypted opens with no password.
    if (salt.isEmpty())
        return false;
    const auto opens = [&dbAccess](const TFileKey& key) {
        QString error;
        if (dbAccess.Open(key, &error))
            return true;
        if (DatabaseFile::IsWrongKey(error))
            return false;
        throw EDBException(error, QString::fromUtf8(DbHint::Connect), QString());
    };
    return TFileKey::KeyThatOpens(password, salt, opens).has_value();
}

TStartOpen OpenDataFileAtStart(TDbAccess& dbAccess, TUserDialogs& dialogs)
{
    QString error;
    if (dbAccess.Open(TFileKey(), &error)) {
        FinishCopyKeys(dbAccess.Key());
        return TStartOpen::Opened;
    }
    // A file that cannot be an encrypted one is no question of passwords.
    const QByteArray salt = TFileKey::SaltOf(dbAccess.DatabasePath());
    if (!DatabaseFile::IsWrongKey(error) || salt.isEmpty()) {
        ShowDbError(dialogs, QString::fromUtf8(DbHint::Connect), dbAccess.OpenFailure(error),
                    QString());
        return TStartOpen::Failed;
    }
    const TModalResult result = AskPasswordFor(
        dialogs,
        [&](const QString& password) { return OpenWithPassword(dbAccess, password, salt); },
        LoginCaption(), QCoreApplication::translate("Login", "数据文件已加密，请输入登录密码"));
    if (result != mrOK || !dbAccess.Connected())
        return TStartOpen::Refused;
    FinishCopyKeys(dbAccess.Key());
    return TStartOpen::Opened;
}

bool UnlockDataFile(TConfig& config, TUserDialogs& dialogs, bool encrypted)
{
    TDbAccess& dbAccess = config.Connection();
    const auto accepts = [&dbAccess, &config, encrypted](const QString& password) {
        if (encrypted) {
            if (!OpenWithPassword(dbAccess, password, TFileKey::SaltOf(dbAccess.DatabasePath())))
                return false;
        } else if (QString error; !dbAccess.Open(TFileKey(), &error)) {
            throw EDBException(error, QString::fromUtf8(DbHint::Connect), QString());
        }
        config.LoadConfig();
        // The key has proven an encrypted file's password already.
        if (encrypted || password == config.PassWord)
            return true;
        dbAccess.Disconnect();
        WipeText(config.PassWord);
        return false;
    };
    if (AskPasswordFor(dialogs, accepts,
                       QCoreApplication::translate("Login", "输入密码解锁 Velmora")) != mrOK)
        return false;
    FinishCopyKeys(dbAccess.Key());
    return true;
}

bool LoginAtStart(TConfig& config, TUserDialogs& dialogs)
{
    config.LoadConfig();
    if (!config.bPass || !config.Connection().Key().IsStandard())
        return true;
    return AskPassword(dialogs, config.PassWord, LoginCaption()) == mrOK;
}

bool LoginAtStartGuarded(TConfig& config, TUserDialogs& dialogs) noexcept
{
    // Set only when the login ran to its end and was granted.
    bool granted = false;
    RunGuarded([&granted, &config, &dialogs] { granted = LoginAtStart(config, dialogs); });
    return granted;
}
