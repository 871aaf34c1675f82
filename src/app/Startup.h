#pragma once

#include <QString>

class TUserDialogs;

// The program from start to end: the error handler, AppPath, the GUI application, the database
// connection, the main window and its message loop, then the tear-down in reverse order.
// Returns the process's exit status; a failed connection ends it with a non-zero one.
int RunVelmora(int argc, char** argv);

// The part of the run that needs the GUI application: connects, creates and shows the main window
// and runs the message loop until it closes; every box and file dialog goes to the given dialogs.
// Returns 1 at once when the database cannot be opened.
int RunSession(TUserDialogs& dialogs);

// The running executable's full path, and its folder.
QString ExecutablePath();
QString ExecutableFolder();
