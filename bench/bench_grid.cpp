// The address list at growing sizes: listing every address into the striped grid (auto-fit
// and the first paint timed apart), sorts by mouse clicks on the column titles until the grid
// has painted (the address title once, the Chinese title once and a second time, which reverses
// the order), and the program's peak memory.
// Run: bench_grid [delivered database]; it works in a temporary folder, offscreen.

#include "BenchDatabase.h"
#include "common/AppPath.h"
#include "common/UserDialogs.h"
#include "controls/CardDBGrid.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"
#include "data/Sql.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHeaderView>
#include <QTemporaryDir>
#include <QTest>

#include <cstdio>

namespace {

// Peak and current resident memory of this process in MB, from /proc/self/status.
double StatusMb(const char* key)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(qstrlen(key)).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return -1;
}

// Adds addresses numbered from..to-1 in one statement: random host names, Chinese titles.
void AddAddresses(TDbAccess& db, int from, int to)
{
    db.ExecuteBatch(
        QStringLiteral(
            "insert into IE(TypeID,IEUrl,IEName,ReMark) "
            "with recursive n(i) as (select %1 union all select i+1 from n where i+1<%2) "
            "select i%40, 'https://www.' || lower(hex(randomblob(5))) || '.com/page/' || i, "
            "substr('张李王赵钱孙周吴郑冯陈褚卫蒋沈韩杨朱秦尤许何吕施', abs(random())%24+1, 1)"
            " || substr('网站主页新闻论坛文档资料工具下载', abs(random())%16+1, 2) || i, "
            "'备注 ' || i || ' 一些说明文字' from n")
            .arg(from)
            .arg(to));
}

// A left click in the middle of a column's title.
void ClickTitle(TCardDBGrid& grid, const QString& field)
{
    QHeaderView* titles = grid.horizontalHeader();
    const int column = grid.ColumnOf(field);
    QTest::mouseClick(
        titles->viewport(), Qt::LeftButton, {},
        QPoint(titles->sectionViewportPosition(column) + titles->sectionSize(column) / 2,
               titles->height() / 2));
}

double Ms(const QElapsedTimer& timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    // Sort texts as a Chinese user's desktop does.
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));

    QTemporaryDir folder;
    if (!InstallDatabase(folder, DeliveredDatabase(argc, argv)))
        return 1;

    {
        TQuietDialogs dialogs;
        TDbAccess db;
        db.Connect(dialogs);
        if (!db.Connected())
            return 1;
        TCardDBGrid grid;
        grid.resize(580, 460);
        grid.show();
        const QString list = QString::fromUtf16(SqlTemplate::ListAddresses);

        std::printf("%8s %10s %10s %10s %10s %10s %10s %10s\n", "rows", "list ms", "paint ms",
                    "sort ms", "sort2 ms", "reverse ms", "RSS MB", "HWM MB");
        int rows = 0;
        for (const int size : {1000, 10000, 100000}) {
            AddAddresses(db, rows, size);
            rows = size;

            QElapsedTimer timer;
            timer.start();
            OpenGrid(db, list, grid, true);
            grid.HideColumn(QStringLiteral("ID"));
            const double listMs = Ms(timer);
            timer.restart();
            grid.grab();
            const double paintMs = Ms(timer);

            // Clicks on the address title (ASCII texts), then on the Chinese title column, then
            // on it again.
            timer.restart();
            ClickTitle(grid, QStringLiteral("网址"));
            grid.grab();
            const double sortMs = Ms(timer);
            timer.restart();
            ClickTitle(grid, QStringLiteral("标题"));
            grid.grab();
            const double sort2Ms = Ms(timer);
            timer.restart();
            ClickTitle(grid, QStringLiteral("标题"));
            grid.grab();
            const double reverseMs = Ms(timer);

            if (grid.model()->rowCount() != size)
                return 1;
            std::printf("%8d %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f %10.1f\n", size, listMs,
                        paintMs, sortMs, sort2Ms, reverseMs, StatusMb("VmRSS:"),
                        StatusMb("VmHWM:"));
        }
    }
    std::printf("targets at 100000 rows: list < 1000 ms, sort < 500 ms, reverse <= 500 ms, peak "
                "< 200 MB\n");
    return 0;
}
