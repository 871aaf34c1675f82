// The search field with 10,000 notes of 10 KB and 100,000 addresses: each query is typed key by
// key into the main window's search field (real key events); for the last key it prints how long
// the key's own handling took, when the first results were on screen, when the search was
// complete, and the longest stretch the window was busy between two events (the most a key typed
// meanwhile would wait).
// Run: bench_search [delivered database]; it works in a temporary folder.

#include "BenchDatabase.h"

#include "app/FormMain.h"
#include "app/SearchBox.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QListWidget>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

double Ms(qint64 ns)
{
    return double(ns) / 1e6;
}

void Type(QWidget* widget, QChar c)
{
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);

    QTemporaryDir folder;
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;
    // Notes of about 10 KB of random text; one in a hundred mentions a meeting.
    db.ExecuteBatch(QStringLiteral(
        "insert into NoteType(SelfIndex,ParentIndex,TypeName) "
        "with recursive n(i) as (select 1 union all select i+1 from n where i<10000) "
        "select i, (i-1)/100, '分组 ' || i from n@#@"
        "insert into NoteBook(TypeID,ReMark) "
        "with recursive n(i) as (select 1 union all select i+1 from n where i<10000) "
        "select i, '会议记录 ' || i || ' ' || lower(hex(randomblob(2500))) || "
        "case when i%100=0 then ' Meeting notes ' else ' ' end || lower(hex(randomblob(2500))) "
        "from n@#@"
        "insert into IE(TypeID,IEUrl,IEName,ReMark) "
        "with recursive n(i) as (select 0 union all select i+1 from n where i+1<100000) "
        "select 0, 'https://www.' || lower(hex(randomblob(5))) || '.com/page/' || i, "
        "'标题 ' || i, '备注 ' || i from n"));

    TQuietDialogs dialogs;
    TFormMain form(db, dialogs);
    form.show();
    if (!form.FormShow())
        return 1;
    QApplication::processEvents();
    TSearchBox* box = form.findChild<TSearchBox*>(QStringLiteral("SearchBox"));

    std::printf("10,000 notes of 10 KB, 100,000 addresses\n");
    std::printf("%-12s %8s %10s %12s %12s %10s\n", "query", "results", "key ms", "first ms",
                "complete ms", "busy ms");
    for (const QString& query : {QStringLiteral("meeting"), QStringLiteral("zqx"),
                                 QStringLiteral("会议记录"), QStringLiteral("page/9999")}) {
        box->setFocus();
        box->clear();
        QApplication::processEvents();
        for (qsizetype i = 0; i + 1 < query.size(); ++i)
            Type(box, query.at(i));
        QElapsedTimer timer;
        timer.start();
        Type(box, query.back());
        const qint64 keyNs = timer.nsecsElapsed();
        qint64 firstNs = box->Results().empty() ? -1 : keyNs;
        qint64 busyNs = keyNs;
        while (box->Searching()) {
            const qint64 before = timer.nsecsElapsed();
            QApplication::processEvents();
            const qint64 after = timer.nsecsElapsed();
            busyNs = std::max(busyNs, after - before);
            if (firstNs < 0 && !box->Results().empty() && box->ResultList()->isVisible())
                firstNs = after;
        }
        std::printf("%-12s %8zu %10.1f %12.1f %12.1f %10.1f\n", qUtf8Printable(query),
                    box->Results().size(), Ms(keyNs), firstNs < 0 ? -1.0 : Ms(firstNs),
                    Ms(timer.nsecsElapsed()), Ms(busyNs));
    }
    std::printf("targets: first results < 150 ms after the last key; busy < 50 ms\n");
    return 0;
}
