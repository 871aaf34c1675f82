#pragma once

class QCoreApplication;
class QLocale;

// Whether the program speaks its own Chinese in a locale: on Chinese desktops, and in the C or
// POSIX locale where no language was chosen. Every other language gets the English translation.
bool SpeaksChinese(const QLocale& locale);

// The language the desktop asks for messages in (LC_ALL, LC_MESSAGES, LANG, as the C library
// reads them).
QLocale DesktopLanguage();

// Installs the program's translation for the locale, and Qt's own where the program speaks
// Chinese (the file dialogs and the editors' menus). The translators live as long as the
// application.
void InstallTranslators(QCoreApplication& application, const QLocale& locale);
