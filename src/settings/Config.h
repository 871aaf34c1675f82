#pragma once

#include <QString>

class TDbAccess;

// The two settings of the program, mirrored from the one row of SysSet: whether a password is
// asked at start, and that password, stored as typed. A copy reads and writes the same
// connection.
class TConfig final
{
public:
    explicit TConfig(TDbAccess& dbAccess) : FDbAccess(&dbAccess) {}

    bool bPass = false;
    QString PassWord;

    // Reads the first row of SysSet; without a row the password is off and empty.
    void LoadConfig();
    // Writes both settings to every row of SysSet in one batch.
    void SaveConfig();
    // The statement SaveConfig runs, for a write that goes with a new key of the file.
    QString SaveStatement() const;

    // The connection the settings are kept on.
    TDbAccess& Connection() const { return *FDbAccess; }

private:
    TDbAccess* FDbAccess;
};
