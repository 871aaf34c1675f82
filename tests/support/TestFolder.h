#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <memory>

class TDbAccess;

// A temporary folder that stands in for the program's folder: AppPath points at it while it
// exists, and it can hold a fresh copy of the delivered database.
class TTestFolder final
{
public:
    TTestFolder();
    ~TTestFolder();

    QString Path() const; // with the trailing separator
    QString DatabasePath() const;

    // Copies the delivered empty database in as bookkeep.dat.
    void InstallDatabase() const;
    // InstallDatabase, then a connected TDbAccess over it, kept while the folder exists.
    TDbAccess& Connect();
    // The connection the last Connect made.
    TDbAccess& Db() const;

    QByteArray ReadFile(const QString& name) const;
    void WriteFile(const QString& name, const QByteArray& bytes) const;

    // The delivered database as the build wrote it.
    static QString DeliveredDatabase();

private:
    QTemporaryDir FDir;
    std::unique_ptr<TDbAccess> FDbAccess;
};
