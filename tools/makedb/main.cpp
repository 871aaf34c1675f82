// Writes the database of a fresh installation: the five tables, their indexes, one settings row
// with the login password off and empty, and the side tables at the current schema version, in a
// file keyed with the program's database password. The program itself never creates the file or a
// table.

#include "data/Schema.h"
#include "data/Sqlite.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

namespace {

constexpr char16_t Settings[] = u"insert into SysSet (bPass, PassWord) values (0, '');";

int Fail(const QString& message)
{
    std::fprintf(stderr, "makedb: %s\n", qUtf8Printable(message));
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2)
        return Fail(QStringLiteral("usage: makedb OUTPUT"));
    const QString target = arguments.at(1);
    // A user's database is never written over, whatever the build asks.
    if (QFileInfo(target).fileName().compare(QLatin1String(DatabaseFile::FileName),
                                             Qt::CaseInsensitive) == 0 &&
        QFileInfo::exists(target))
        return Fail(QStringLiteral("refusing to replace ") + target);

    const QString temporary = target + QStringLiteral(".new");
    QFile::remove(temporary);
    {
        QString error;
        TConnection connection = DatabaseFile::Create(temporary, &error);
        if (!connection)
            return Fail(error);
        error = DatabaseFile::Execute(connection.get(), DatabaseSchema::CreateStatements() +
                                                            QString::fromUtf16(Settings));
        // The side tables and the schema version come the way every older file gets them.
        if (error.isEmpty())
            error = DatabaseSchema::Upgrade(connection.get());
        if (!error.isEmpty())
            return Fail(error);
    }
    QFile::remove(target);
    if (!QFile::rename(temporary, target))
        return Fail(QStringLiteral("cannot write ") + target);
    return 0;
}
