// Keeping two computers in step, on the large database (100,000 note groups, 100,000 addresses,
// a 1 MB root note), in one run:
// - turning sync on (the first change scan, ids worked out for every row);
// - merging the other computer's copy after it changed 1,000 rows (addresses, group names and
//   lines of the 1 MB note), against merging it again when nothing is new;
// - writing the own file into the synced folder (change scan, keyed copy, checks, rename)
//   against a plain backup copy of the same file (best of three each), as a ratio.
// The data layer's path only: no window is involved yet. Run: bench_merge [delivered database].

#include "LargeDatabase.h"
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

template <typename F> double BestOf(int runs, F&& run)
{
    double best = 1e18;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        best = std::min(best, MsSince(clock));
    }
    return best;
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

    QElapsedTimer clock;
    clock.start();
    double cpu = CpuMs();
    ChangeScan::Run(local.get(), QStringLiteral("here"), now);
    const double enable = MsSince(clock);
    const double enableCpu = CpuMs() - cpu;
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
    clock.restart();
    cpu = CpuMs();
    const PeerMerge::TReport report = PeerMerge::Merge(local.get(), peer.get(), setup);
    const double merge = MsSince(clock);
    const double mergeCpu = CpuMs() - cpu;
    clock.restart();
    cpu = CpuMs();
    PeerMerge::Merge(local.get(), peer.get(), setup);
    const double again = MsSince(clock);
    const double againCpu = CpuMs() - cpu;

    const QString synced = here.filePath(QStringLiteral("synced"));
    QDir().mkpath(synced);
    const double own = BestOf(3, [&] {
        SyncFolder::WriteOwnFile(local.get(), synced, QStringLiteral("here"), TFileKey(), now);
    });
    TQuietDialogs quiet;
    TDbAccess db;
    db.Connect(quiet);
    const QString backup = here.filePath(QStringLiteral("backup.dat"));
    const double copy = BestOf(3, [&] { db.BackupTo(backup); });

    std::printf("file: %.1f MB\n", double(QFileInfo(herePath).size()) / 1e6);
    std::printf("turning sync on (first scan): %.0f ms (processor %.0f ms)\n", enable, enableCpu);
    std::printf("merge of 1,000 changed rows: %.0f ms (processor %.0f ms; taken %d, merged %d)\n",
                merge, mergeCpu, report.Taken, report.Merged);
    std::printf("merge again, nothing new: %.0f ms (processor %.0f ms)\n", again, againCpu);
    std::printf("own file: %.0f ms, backup copy: %.0f ms, ratio %.2f\n", own, copy, own / copy);
    return 0;
}
