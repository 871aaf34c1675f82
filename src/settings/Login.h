#pragma once

// The login of the main window's first showing: loads the settings and, when the login password
// is on, asks for it under "先输入密码登录软件". True when the user may go on, false when the
// prompt was refused. A failure to read the settings propagates.
bool LoginAtStart();

// LoginAtStart run through the error handler: a failure is shown, and it counts as a refusal,
// so the program never opens without asking for a password that may be on.
bool LoginAtStartGuarded() noexcept;
