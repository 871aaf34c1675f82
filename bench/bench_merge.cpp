// Keeping two computers in step, on the large database (100,000 note groups, 100,000 addresses,
// a 1 MB root note), in one run:
// - turning sync on (the first change scan, ids worked out for every row);
// - merging the other computer's copy after it changed 1,000 rows (addresses, group names and
//   lines of the 1 MB note), against merging it again when nothing is new;
// - writing the own file into the synced folder after one address changed through another
//   connection (change scan, copy, checks, rename), with the change scan alone, the first write
//   of a run, and under another key than the data file's (which needs a keyed export);
// each against a plain backup copy of the same file measured in the same run, as ratios of wall
// and of processor time (best of three for the writes): the machine may be shared, and other
// programs stretch the wall time, not the processor time.
// The data layer's path only: no window is involved yet. Run: bench_merge [delivered database].

#include "LargeDatabase.h"
#include "data/FileKey.h"
#include "sync/ChangeScan.h"
#include "sync/PeerMerge.h"
#include "sync/SyncFolder.h"

#include <QDir>

#include <ctime>

namespace {

double MsSince(const QElapsedTimer& clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

// The processor time of this process, which other programs on a busy machine do not stretch.
double CpuMs()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

struct TTimes
{
    double Wall = 1e18;
    double Cpu = 1e18;
};

template <typename F> TTimes BestOf(int runs, F&& run)
{
    TTimes best;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        const double cpu = CpuMs();
        run(i);
        best.Cpu = std::min(best.Cpu, CpuMs() - cpu);
        best.Wall = std::min(best.Wall, MsSince(clock));
    }
    return best;
}

void Print(const char* what, const TTimes& times, const TTimes& baseline, const char* goal = "")
{
    std::printf("%s: %.0f ms (processor %.0f ms); against the backup copy %.2fx (processor "
                "%.2fx)%s\n",
                what, times.Wall, times.Cpu, times.Wall / baseline.Wall, times.Cpu / baseline.Cpu,
                goal);
}

TConnection OpenFile(const QString& path)
{
    QString error;
    TConnection connection = DatabaseFile::Open(path, false, &error);
    if (!connection)
        std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
    return connection;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QTemporaryDir here;
    QTemporaryDir there;
    if (!MakeLarge(here.path(), DeliveredDatabase(argc, argv)))
        return 1;
    const QString herePath = here.filePath(QStringLiteral("bookkeep.dat"));
    const QString therePath = there.filePath(QStringLiteral("bookkeep.dat"));
    if (!QFile::copy(herePath, therePath))
        return 1;
    const TConnection local = OpenFile(herePath);
    const TConnection peer = OpenFile(therePath);
    if (!local || !peer)
        return 1;
    const qint64 now = QDateTime::currentMSecsSinceEpoch();

    const TTimes enable =
        BestOf(1, [&](int) { ChangeScan::Run(local.get(), QStringLiteral("here"), now); });
    ChangeScan::Run(peer.get(), QStringLiteral("there"), now);

    DatabaseFile::Execute(
        peer.get(),
        QStringLiteral("update IE set IEName='changed ' || ID where ID % 250 = 0;"
                       "update NoteType set TypeName='renamed ' || SelfIndex where SelfIndex % "
                       "334 = 0;"
                       "update NoteBook set ReMark=replace(ReMark, 'a', 'A') where TypeID=0;"));
    ChangeScan::Run(peer.get(), QStringLiteral("there"), now + 1000);
    const PeerMerge::TSetup setup{QStringLiteral("here"), QStringLiteral("here"),
                                  QStringLiteral("there"), now + 2000, [](int, int) {
                                      return true;
                                  }};
    PeerMerge::TReport report;
    const TTimes merge =
        BestOf(1, [&](int) { report = PeerMerge::Merge(local.get(), peer.get(), setup); });
    const TTimes again = BestOf(1, [&](int) { PeerMerge::Merge(local.get(), peer.get(), setup); });

    // The baseline: the same file, with its sync records, copied as a backup.
    TQuietDialogs quiet;
    TDbAccess db;
    db.Connect(quiet);
    const QString backup = here.filePath(QStringLiteral("backup.dat"));
    const TTimes copy = BestOf(3, [&](int) { db.BackupTo(backup); });

    // Each write follows a change made through another connection, as the program writes the
    // own file after the user's edits saved by the window's connections.
    const TConnection window = OpenFile(herePath);
    const auto edit = [&](int run) {
        DatabaseFile::Execute(
            window.get(),
            QStringLiteral("update IE set ReMark='edited %1' where ID=%2").arg(run).arg(run + 1));
    };
    const QString synced = here.filePath(QStringLiteral("synced"));
    QDir().mkpath(synced);
    QString failure;
    const TTimes scan = BestOf(3, [&](int run) {
        edit(run);
        ChangeScan::Run(local.get(), QStringLiteral("here"), now + 3000 + run);
    });
    // The first export of a run proves once that the key opens the copy (the key's derivation
    // and a read of the copy's schema); later ones copy the pages without decrypting any.
    const TTimes first = BestOf(1, [&](int run) {
        edit(run + 30);
        failure += SyncFolder::WriteOwnFile(local.get(), synced, QStringLiteral("here"), TFileKey(),
                                            now + 3900 + run);
    });
    const TTimes own = BestOf(3, [&](int run) {
        edit(run + 10);
        failure += SyncFolder::WriteOwnFile(local.get(), synced, QStringLiteral("here"), TFileKey(),
                                            now + 4000 + run);
    });
    const TFileKey other = TFileKey::Derive(QStringLiteral("another"), QByteArray(16, 's'));
    const TTimes exported = BestOf(3, [&](int run) {
        edit(run + 20);
        failure += SyncFolder::WriteOwnFile(local.get(), synced, QStringLiteral("here"), other,
                                            now + 5000 + run);
    });
    if (!failure.isEmpty())
        std::fprintf(stderr, "own file: %s\n", qPrintable(failure));

    std::printf("file: %.1f MB; plain backup copy: %.0f ms (processor %.0f ms)\n",
                double(QFileInfo(herePath).size()) / 1e6, copy.Wall, copy.Cpu);
    Print("turning sync on (first scan)", enable, copy);
    std::printf("merge of 1,000 changed rows: taken %d, merged %d\n", report.Taken, report.Merged);
    Print("merge of 1,000 changed rows", merge, copy, "; goal: at most 2,000 ms");
    Print("merge again, nothing new", again, copy);
    Print("own file after an edit (scan and copy)", own, copy,
          "; goal: at most 1.5x the backup copy");
    Print("  of which the change scan", scan, copy);
    Print("  the first of a run, which proves the key", first, copy);
    Print("own file under another key (keyed export)", exported, copy);
    return failure.isEmpty() ? 0 : 1;
}
