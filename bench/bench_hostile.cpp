// Hostile data: how long a restore takes to refuse a 2 GB sparse file (goal: under 2 s, nothing
// written beside the data) against the restore of a sound backup, and what a 100,000-deep chain
// of groups costs to load, open with "*" and free against 100,000 groups under the root.
#include "BenchDatabase.h"

#include "common/Errors.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "groups/CardTree.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTreeWidget>

#include <cstdio>

namespace {

double RestoreMs(TDbAccess& db, const QString& source)
{
    QElapsedTimer clock;
    clock.start();
    try {
        db.RestoreFrom(source, AppPath() + QStringLiteral("tmpData.bat"));
    } catch (const std::exception&) {
        // the refusal is what is timed
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

// Loads the note groups, opens every branch with "*" on the root, and frees the tree.
double TreeMs(TDbAccess& db)
{
    QElapsedTimer clock;
    clock.start();
    {
        QTreeWidget view;
        TQuietDialogs dialogs;
        TCardTree tree(db, dialogs, &view, QStringLiteral("NoteType"), QStringLiteral("根目录"));
        tree.LoadGroups();
        view.show();
        view.setCurrentItem(tree.RootNode());
        QKeyEvent star(QEvent::KeyPress, Qt::Key_Asterisk, Qt::NoModifier, QStringLiteral("*"));
        QApplication::sendEvent(&view, &star);
        QApplication::processEvents();
    }
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    UseOffscreenPlatform();
    QApplication application(argc, argv);
    std::printf("Restore refusal of a 2 GB sparse file, and a deep tree (goal: refusal < 2000 "
                "ms, written beside the data: 0 files)\n");
    QTemporaryDir folder;
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;

    const QString sound = folder.path() + QStringLiteral("/sound.bat");
    db.BackupTo(sound);
    const QString sparse = folder.path() + QStringLiteral("/sparse.bat");
    QFile file(sparse);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(2) << 30))
        return 1;
    file.close();
    const qsizetype before = QDir(folder.path()).count();
    const double refused = RestoreMs(db, sparse);
    const qsizetype written = QDir(folder.path()).count() - before;
    const double restored = RestoreMs(db, sound);
    std::printf("refusal %.1f ms, sound restore %.1f ms, ratio %.2f, written beside %lld\n",
                refused, restored, refused / restored, static_cast<long long>(written));

    constexpr int Groups = 100000;
    db.ExecuteBatch(
        QStringLiteral("insert into NoteType with recursive n(i) as (select 1 union all "
                       "select i+1 from n where i<%1) select i, 0, i from n")
            .arg(Groups));
    const double flat = TreeMs(db);
    db.ExecuteBatch(QStringLiteral("update NoteType set ParentIndex = SelfIndex - 1"));
    const double deep = TreeMs(db);
    std::printf("%d groups: under the root %.0f ms, in one chain %.0f ms, ratio %.2f\n", Groups,
                flat, deep, deep / flat);
    return 0;
}
