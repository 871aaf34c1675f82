#include "settings/Login.h"

#include "common/CardException.h"
#include "settings/Config.h"
#include "settings/FormPass.h"

bool LoginAtStart()
{
    Config.LoadConfig();
    if (!Config.bPass)
        return true;
    return AskPassword(Config.PassWord, QStringLiteral("先输入密码登录软件")) == mrOK;
}

bool LoginAtStartGuarded() noexcept
{
    // Set only when the login ran to its end and was granted.
    bool granted = false;
    RunGuarded([&granted] { granted = LoginAtStart(); });
    return granted;
}
