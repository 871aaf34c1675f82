#include "app/Startup.h"

#include "app/AppIcon.h"
#include "app/DataFileClaim.h"
#include "app/FormMain.h"
#include "app/QuitSignals.h"
#include "app/SingleInstance.h"
#include "app/Translations.h"
#include "common/AppPath.h"
#include "common/CardException.h"
#include "common/gui/QtUserDialogs.h"
#include "data/DbAccess.h"
#include "data/Sqlite.h"
#include "settings/Login.h"

#include <QApplication>
#include <QFileInfo>

QString ExecutablePath()
{
    // The link names this executable wherever it was started from, before any Qt object exists.
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
}

QString ExecutableFolder()
{
    return ExecutablePath().section(QLatin1Char('/'), 0, -2);
}

int RunSession(TUserDialogs& dialogs)
{
    // A second start on the same data file only brings the running window to the front.
    TSingleInstance instance(AppPath() + QLatin1String(DatabaseFile::FileName));
    if (int status = 0; !ClaimDataFile(instance, dialogs, &status))
        return status;

    // No window shows before the file is open: an encrypted one asks for its password first.
    TDbAccess dbAccess;
    if (const TStartOpen opened = OpenDataFileAtStart(dbAccess, dialogs);
        opened != TStartOpen::Opened)
        return opened == TStartOpen::Refused ? 0 : 1;
    QApplication::setApplicationName(ApplicationTitle());
    // The window is hidden while it sits in the notification area, and a box closed then must not
    // end the program: only the main window's accepted close does.
    QApplication::setQuitOnLastWindowClosed(false);
    TFormMain formMain(dbAccess, dialogs);
    ConnectGuarded(&instance, &TSingleInstance::ActivationRequested, &formMain,
                   [&formMain] { formMain.BringWindowBack(); });
    // Being told to end (kill, Ctrl+C, a closed terminal) ends the loop without the exit
    // question, which nobody would answer; the note saves what is due on the way out.
    TQuitSignals quitSignals;
    QObject::connect(&quitSignals, &TQuitSignals::Received, &formMain,
                     [] { QCoreApplication::exit(0); });
    // The login comes before the window shows, and the window appears with its content: a
    // refusal ends the program without it.
    if (!formMain.FormShow())
        return 0;
    formMain.ShowAsRemembered();
    return QApplication::exec();
}

int RunVelmora(int argc, char** argv)
{
    SetAppPath(ExecutableFolder());

    QApplication application(argc, argv);
    QApplication::setWindowIcon(MainIcon());
    // Wayland shows a window's icon through the desktop entry it names.
    QGuiApplication::setDesktopFileName(QStringLiteral("app.velmora.Velmora"));
    InstallTranslators(application, DesktopLanguage());
    TQtUserDialogs dialogs;
    // Errors that no code catches are shown in the program's own boxes from here on.
    TCardException cardException(dialogs);
    return RunSession(dialogs);
}
