// Start-up with a large database against the delivered empty one: 100,000 note groups in a
// random-parent tree, 100,000 addresses and a 1 MB root note. Each start runs in a process of
// its own (this program again, with --start): from the first line of main until the main window
// is shown with its content and the event loop answers. It prints the time to ready, the ratio
// against the empty database, and the whole process's resident memory when ready and after the
// address list has been sorted by its title column.
// Run: bench_startup [delivered database]; it works in a temporary folder, offscreen.

#include "BenchDatabase.h"
#include "NoteBench.h"
#include "app/FormMain.h"
#include "common/gui/QtUserDialogs.h"
#include "controls/CardDBGrid.h"
#include "webaddr/WebAddrPage.h"

#include <QDir>
#include <QHeaderView>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <unistd.h>

namespace {

// One start in this process, over the database in the folder; prints "ms ready-MiB sorted-MiB".
int Start(int argc, char** argv, const QString& folder)
{
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    SetAppPath(folder);
    TCardException handler;
    TQtUserDialogs dialogs;
    SetUserDialogs(&dialogs);
    TDbAccess db;
    db.Connect();
    if (!db.Connected())
        return 1;
    QApplication::setQuitOnLastWindowClosed(false);
    TFormMain form;
    if (!form.FormShow())
        return 1;
    form.show();
    double ready = 0;
    QTimer::singleShot(0, &form, [&] {
        ready = double(clock.nsecsElapsed()) / 1e6;
        QCoreApplication::exit(0);
    });
    QApplication::exec();
    const double readyMiB = ResidentMiB();
    QHeaderView* titles = form.WebAddrPage->AddressGrid->horizontalHeader();
    Q_EMIT titles->sectionClicked(1);
    QCoreApplication::processEvents();
    std::printf("%.1f %.1f %.1f\n", ready, readyMiB, ResidentMiB());
    SetUserDialogs(nullptr);
    return 0;
}

bool MakeLarge(const QString& folder, const QString& delivered)
{
    QTemporaryDir unused;
    SetAppPath(folder);
    if (!QFile::copy(delivered, folder + QStringLiteral("/bookkeep.dat")) ||
        !QFile::setPermissions(folder + QStringLiteral("/bookkeep.dat"),
                               QFile::ReadOwner | QFile::WriteOwner))
        return false;
    TDbAccess db;
    db.Connect();
    if (!db.Connected())
        return false;
    DbExecute(QStringLiteral(
        "insert into NoteType(SelfIndex,ParentIndex,TypeName) with recursive n(i) as (select 1 "
        "union all select i+1 from n where i<100000) select i, case when i<=10 then 0 else "
        "abs(random())%(i-1)+1 end, '分组 ' || i from n"));
    DbExecute(QStringLiteral("insert into IEType(SelfIndex,ParentIndex,TypeName) with recursive "
                             "n(i) as (select 1 union all select i+1 from n where i<100) "
                             "select i, 0, '网址分组 ' || i from n"));
    DbExecute(QStringLiteral(
        "insert into IE(TypeID,IEUrl,IEName,ReMark) with recursive n(i) as (select 1 union all "
        "select i+1 from n where i<100000) select i%100+1, 'https://www.example' || i || '.org/',"
        " '网站 ' || abs(random()%100000), '备注 ' || i from n"));
    DbAccess->RunPrepared("insert into NoteBook(TypeID,ReMark) values(0,?)",
                          {NoteText(1024 * 1024).toUtf8()});
    return true;
}

struct TFigures
{
    double Ms = 0;
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
    if (figures.size() != 3)
        qFatal("start failed: %s", child.readAllStandardError().constData());
    return {figures[0].toDouble(), figures[1].toDouble(), figures[2].toDouble()};
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    if (argc > 2 && qstrcmp(argv[1], "--start") == 0)
        return Start(argc, argv, QString::fromLocal8Bit(argv[2]));

    QCoreApplication app(argc, argv);
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

    TFigures emptyBest{1e300, 0, 0};
    TFigures largeBest{1e300, 0, 0};
    for (int round = 0; round < 3; ++round) {
        const TFigures e = RunStart(empty);
        const TFigures l = RunStart(large);
        if (e.Ms < emptyBest.Ms)
            emptyBest = e;
        if (l.Ms < largeBest.Ms)
            largeBest = l;
    }
    std::printf("%-8s %12s %14s %14s\n", "database", "ready ms", "ready MiB", "sorted MiB");
    std::printf("%-8s %12.1f %14.1f %14.1f\n", "empty", emptyBest.Ms, emptyBest.Ready,
                emptyBest.Sorted);
    std::printf("%-8s %12.1f %14.1f %14.1f\n", "large", largeBest.Ms, largeBest.Ready,
                largeBest.Sorted);
    std::printf("time to ready, large against empty: %.2fx (goal at most 2.5x); memory goal: at "
                "most 150 MiB\n",
                largeBest.Ms / emptyBest.Ms);
    return 0;
}
