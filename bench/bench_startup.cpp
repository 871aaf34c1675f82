// Start-up with a large database against the delivered empty one: 100,000 note groups in a
// random-parent tree, 100,000 addresses and a 1 MB root note. Each start runs in a process of
// its own (this program again, with --start): from the first line of main until the main window
// has had its first paint, with its content, and the event loop answers. It prints the time to
// ready, the ratio against the empty database, the time until the groups have loaded behind the
// window and the longest the event loop waited meanwhile, and the whole process's resident
// memory when loaded and after the address list has been shown and sorted by its title column.
// Run: bench_startup [delivered database]; it works in a temporary folder, offscreen.
// bench_startup --large FOLDER [delivered database] only writes the large database into the
// folder, which must not hold one yet, to try the program on by hand.

#include "BenchDatabase.h"
#include "LargeDatabase.h"
#include "NoteBench.h"
#include "app/FormMain.h"
#include "common/gui/QtUserDialogs.h"
#include "controls/CardDBGrid.h"
#include "webaddr/WebAddrPage.h"

#include <QDir>
#include <QHeaderView>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <functional>
#include <utility>

#include <unistd.h>

namespace {

// Calls back after the window's first paint has been handled.
class TFirstPaint final : public QObject
{
public:
    TFirstPaint(QWidget* window, std::function<void()> painted) : FPainted(std::move(painted))
    {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::UpdateRequest && FPainted) {
            watched->removeEventFilter(this);
            std::exchange(FPainted, nullptr)();
        }
        return false;
    }

private:
    std::function<void()> FPainted;
};

// One start in this process, over the database in the folder; prints "ready-ms whole-ms
// stall-ms ready-MiB sorted-MiB".
int Start(int argc, char** argv, const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    SetAppPath(folder);
    TQtUserDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    db.Connect(dialogs);
    if (!db.Connected())
        return 1;
    QApplication::setQuitOnLastWindowClosed(false);
    TFormMain form(db, dialogs);
    if (!form.FormShow())
        return 1;
    form.show();
    // Ready: the first paint of the window is done and the event loop answers. The groups then
    // load in steps; a 1 ms ticker tells the longest time the loop did not run meanwhile.
    double ready = 0;
    double whole = 0;
    double longestStall = 0;
    TFirstPaint firstPaint(&form, [&] {
        QTimer::singleShot(0, &form, [&] { ready = double(clock.nsecsElapsed()) / 1e6; });
    });
    // A chain of queued calls stands for input: each waits for whatever the loop is doing.
    double lastTick = -1;
    std::function<void()> tick = [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        if (lastTick >= 0)
            longestStall = std::max(longestStall, now - lastTick);
        lastTick = now;
        if (ready > 0 && !form.Loading()) {
            whole = now;
            QCoreApplication::exit(0);
            return;
        }
        QMetaObject::invokeMethod(&form, tick, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(&form, tick, Qt::QueuedConnection);
    QApplication::exec();
    const double readyMiB = ResidentMiB();
    // The address list, read when its page is first shown, is part of the sort's path.
    form.findChild<QTabWidget*>(QStringLiteral("PageTabs"))->setCurrentIndex(1);
    QHeaderView* titles =
        form.findChild<TCardDBGrid*>(QStringLiteral("AddressGrid"))->horizontalHeader();
    Q_EMIT titles->sectionClicked(1);
    QCoreApplication::processEvents();
    std::printf("%.1f %.1f %.1f %.1f %.1f\n", ready, whole, longestStall, readyMiB, ResidentMiB());
    return 0;
}

struct TFigures
{
    double Ms = 0;
    double Whole = 0;
    double Stall = 0;
    double Ready = 0;
    double Sorted = 0;
};

TFigures RunStart(const QString& folder)
{
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), folder + QStringLiteral("/config"));
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--start"), folder});
    child.waitForFinished(600000);
    const QList<QByteArray> figures = child.readAllStandardOutput().trimmed().split(' ');
    if (figures.size() != 5)
        qFatal("start failed: %s", child.readAllStandardError().constData());
    return {figures[0].toDouble(), figures[1].toDouble(), figures[2].toDouble(),
            figures[3].toDouble(), figures[4].toDouble()};
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    if (argc > 2 && qstrcmp(argv[1], "--start") == 0)
        return Start(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
    if (argc > 2 && qstrcmp(argv[1], "--large") == 0) {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        if (QFile::exists(folder + QStringLiteral("/bookkeep.dat")))
            return 1;
        return MakeLarge(folder, DeliveredDatabase(argc - 2, argv + 2)) ? 0 : 1;
    }
    const QString delivered = DeliveredDatabase(argc, argv);
    QTemporaryDir root;
    const QString empty = root.path() + QStringLiteral("/empty");
    const QString large = root.path() + QStringLiteral("/large");
    QDir().mkpath(empty);
    QDir().mkpath(large);
    if (!QFile::copy(delivered, empty + QStringLiteral("/bookkeep.dat")) ||
        !QFile::setPermissions(empty + QStringLiteral("/bookkeep.dat"),
                               QFile::ReadOwner | QFile::WriteOwner) ||
        !MakeLarge(large, delivered))
        return 1;

    TFigures emptyBest{1e300, 0, 0, 0, 0};
    TFigures largeBest{1e300, 0, 0, 0, 0};
    // The best of several starts each: a start takes a few tenths of a second, and any other
    // process on a shared machine can add as much.
    for (int round = 0; round < 7; ++round) {
        const TFigures e = RunStart(empty);
        const TFigures l = RunStart(large);
        if (e.Ms < emptyBest.Ms)
            emptyBest = e;
        if (l.Ms < largeBest.Ms)
            largeBest = l;
    }
    std::printf("%-8s %10s %10s %12s %12s %12s\n", "database", "ready ms", "whole ms", "stall ms",
                "ready MiB", "sorted MiB");
    for (const auto& [name, f] : {std::pair{"empty", emptyBest}, std::pair{"large", largeBest}})
        std::printf("%-8s %10.1f %10.1f %12.1f %12.1f %12.1f\n", name, f.Ms, f.Whole, f.Stall,
                    f.Ready, f.Sorted);
    std::printf("time to ready, large against empty: %.2fx (goal at most 2.5x); memory goal: at "
                "most 150 MiB\n",
                largeBest.Ms / emptyBest.Ms);
    return 0;
}
