#pragma once

#include <QString>

// The two settings of the program, mirrored from the one row of SysSet: whether a password is
// asked at start, and that password, stored as typed.
class TConfig final
{
public:
    bool bPass = false;
    QString PassWord;
    QString SqlText; // the statement built last

    // Reads the first row of SysSet; without a row the password is off and empty.
    void LoadConfig();
    // Writes both settings to every row of SysSet in one batch.
    void SaveConfig();
    // The statement SaveConfig runs, for a write that goes with a new key of the file.
    QString SaveStatement() const;
};

// The program's settings.
extern TConfig Config;
