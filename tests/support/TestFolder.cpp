#include "TestFolder.h"

#include "common/AppPath.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"

#include <QFile>
#include <QtTest>

TTestFolder::TTestFolder()
{
    QVERIFY2(FDir.isValid(), "no temporary folder");
    SetAppPath(FDir.path());
}

TTestFolder::~TTestFolder()
{
    FDbAccess.reset();
    SetAppPath(QString());
}

QString TTestFolder::Path() const
{
    return FDir.path() + QLatin1Char('/');
}

QString TTestFolder::DatabasePath() const
{
    return Path() + QStringLiteral("bookkeep.dat");
}

QString TTestFolder::DeliveredDatabase()
{
    return qEnvironmentVariable("VELMORA_DELIVERED_DB");
}

void TTestFolder::InstallDatabase() const
{
    const QString source = DeliveredDatabase();
    if (source.isEmpty() || !QFile::exists(source))
        qFatal("VELMORA_DELIVERED_DB does not name the delivered database");
    QFile::remove(DatabasePath());
    if (!QFile::copy(source, DatabasePath()))
        qFatal("cannot copy the delivered database");
    QFile::setPermissions(DatabasePath(), QFile::ReadOwner | QFile::WriteOwner);
}

TDbAccess& TTestFolder::Connect()
{
    InstallDatabase();
    FDbAccess.reset();
    FDbAccess = std::make_unique<TDbAccess>();
    // The delivered database opens, or the test ends here: no box is answered.
    TQuietDialogs quiet;
    FDbAccess->Connect(quiet);
    if (!FDbAccess->Connected())
        qFatal("the delivered database does not open");
    return *FDbAccess;
}

TDbAccess& TTestFolder::Db() const
{
    if (!FDbAccess)
        qFatal("the test folder is not connected");
    return *FDbAccess;
}

QByteArray TTestFolder::ReadFile(const QString& name) const
{
    QFile file(Path() + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TTestFolder::WriteFile(const QString& name, const QByteArray& bytes) const
{
    QFile file(Path() + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
}
