#pragma once

#include "common/AppPath.h"

#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>

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
