#pragma once

class TSingleInstance;
class TUserDialogs;

// What happens at start before the database is opened: a data file that cannot be written is
// said once in an error box naming the file and what to do; a data file held by another running
// Velmora brings that one to the front, or says "Velmora 已在运行" where it cannot be reached;
// then the staged copies a crashed restore left are removed and the data file and its journal made
// the user's alone (0600). True when the start may go on;
// otherwise status is the process's exit status, and nothing was written.
bool ClaimDataFile(TSingleInstance& instance, TUserDialogs& dialogs, int* status);
