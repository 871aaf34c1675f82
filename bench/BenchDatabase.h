#pragma once

#include "common/AppPath.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <unistd.h>

// The delivered database a benchmark starts from: the first argument, else the build's.
inline QString DeliveredDatabase(int argc, char** argv)
{
    return argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_DELIVERED_DB);
}

// Points AppPath at the temporary folder and copies the delivered database in as bookkeep.dat.
inline bool InstallDatabase(const QTemporaryDir& folder, const QString& delivered)
{
    SetAppPath(folder.path());
    const QString target = AppPath() + QStringLiteral("bookkeep.dat");
    if (!QFile::copy(delivered, target)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(delivered));
        return false;
    }
    return QFile::setPermissions(target, QFile::ReadOwner | QFile::WriteOwner);
}

// Installs the delivered database into the folder and connects the given access object to it.
inline bool ConnectDatabase(const QTemporaryDir& folder, const QString& delivered, TDbAccess& db)
{
    if (!InstallDatabase(folder, delivered))
        return false;
    TQuietDialogs quiet;
    db.Connect(quiet);
    return db.Connected();
}

// Benchmarks run offscreen unless another platform is asked for; before the application is made.
inline void UseOffscreenPlatform()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
}

// The whole program's resident memory in MiB.
inline double ResidentMiB()
{
    long pages = 0;
    long resident = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(statm);
    }
    return double(resident) * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}
