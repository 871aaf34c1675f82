#pragma once

// The large database of the start-up and encryption benchmarks: 100,000 note groups in a
// random-parent tree, 100 address groups with 100,000 addresses, and a 1 MB root note.

#include "BenchDatabase.h"
#include "NoteBench.h"

#include <QTemporaryDir>

// Writes it into the folder, which must not hold a database yet.
inline bool MakeLarge(const QString& folder, const QString& delivered)
{
    QTemporaryDir unused;
    SetAppPath(folder);
    if (!QFile::copy(delivered, folder + QStringLiteral("/bookkeep.dat")) ||
        !QFile::setPermissions(folder + QStringLiteral("/bookkeep.dat"),
                               QFile::ReadOwner | QFile::WriteOwner))
        return false;
    TQuietDialogs quiet;
    TDbAccess db;
    db.Connect(quiet);
    if (!db.Connected())
        return false;
    db.ExecuteBatch(QStringLiteral(
        "insert into NoteType(SelfIndex,ParentIndex,TypeName) with recursive n(i) as (select 1 "
        "union all select i+1 from n where i<100000) select i, case when i<=10 then 0 else "
        "abs(random())%(i-1)+1 end, '分组 ' || i from n"));
    db.ExecuteBatch(
        QStringLiteral("insert into IEType(SelfIndex,ParentIndex,TypeName) with recursive "
                       "n(i) as (select 1 union all select i+1 from n where i<100) "
                       "select i, 0, '网址分组 ' || i from n"));
    db.ExecuteBatch(QStringLiteral(
        "insert into IE(TypeID,IEUrl,IEName,ReMark) with recursive n(i) as (select 1 union all "
        "select i+1 from n where i<100000) select i%100+1, 'https://www.example' || i || '.org/',"
        " '网站 ' || abs(random()%100000), '备注 ' || i from n"));
    db.RunPrepared("insert into NoteBook(TypeID,ReMark) values(0,?)",
                   {NoteText(1024 * 1024).toUtf8()});
    return true;
}
