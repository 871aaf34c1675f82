#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool SpeaksChinese(const QLocale& locale)
{
    return locale.language() == QLocale::Chinese || locale.language() == QLocale::C;
}

QLocale DesktopLanguage()
{
    const QStringList languages = QLocale::system().uiLanguages();
    return languages.isEmpty() ? QLocale::system() : QLocale(languages.first());
}

void InstallTranslators(QCoreApplication& application, const QLocale& locale)
{
    auto* translator = new QTranslator(&application);
    const bool loaded = SpeaksChinese(locale)
                            ? translator->load(QStringLiteral("qtbase_zh_CN"),
                                               QLibraryInfo::path(QLibraryInfo::TranslationsPath))
                            : translator->load(QStringLiteral(":/i18n/velmora_en.qm"));
    if (loaded)
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}
