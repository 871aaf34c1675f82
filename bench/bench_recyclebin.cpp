// The recycle bin with a group of 10,000 addresses. Restore: the whole path of the user's action,
// from the click on "还原" in the dialog that "回收站…" opens over the main window until the
// address tree shows the group again and the list (every address, the root selected) holds its
// addresses; median of 7 runs, goal 1 s. Delete: what keeping the group in the bin adds to
// deleting it, the deletion with the bin against the plain delete statements of the group and
// its addresses, both in one transaction, medians of 7 runs. Run: bench_recyclebin [delivered
// database]; it works in a temporary folder, offscreen.

#include "BenchDatabase.h"
#include "app/FormMain.h"
#include "app/FormRecycleBin.h"
#include "common/CardException.h"
#include "controls/CardDBGrid.h"
#include "data/RecycleBin.h"
#include "data/WriteTransaction.h"
#include "groups/CardTree.h"
#include "webaddr/WebAddrPage.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>

#include <algorithm>
#include <vector>

namespace {

constexpr int Addresses = 10000;
constexpr int Runs = 7;
const QString Group = QStringLiteral("大组");

// The group 1 with its addresses, written by another connection of the program.
QString FillGroup()
{
    return QStringLiteral("insert into IEType values (1, 0, '%1');"
                          "insert into IE (TypeID, IEUrl, IEName, ReMark) with recursive n(i) as "
                          "(select 1 union all select i+1 from n where i<%2) select 1, "
                          "'https://site' || i || '.example.org/page', '网页 ' || i, '备注' from n")
        .arg(Group)
        .arg(Addresses);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

bool Shown(TFormMain& form)
{
    auto* page = form.findChild<TWebAddrPage*>();
    return !form.Following() &&
           !page->IETree()
                .TreeView()
                ->findItems(Group, Qt::MatchExactly | Qt::MatchRecursive)
                .isEmpty() &&
           page->findChild<TCardDBGrid*>()->model()->rowCount() >= Addresses;
}

} // namespace

int main(int argc, char* argv[])
{
    UseOffscreenPlatform();
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    TQuietDialogs dialogs;
    TCardException handler(dialogs);
    TDbAccess db;
    if (!ConnectDatabase(folder, DeliveredDatabase(argc, argv), db))
        return 1;

    // Deleting: the plain statements against the deletion into the bin.
    std::vector<double> plain;
    std::vector<double> kept;
    for (int run = 0; run < Runs; ++run) {
        for (const bool bin : {false, true}) {
            db.ExecuteBatch(FillGroup());
            QElapsedTimer clock;
            clock.start();
            TWriteTransaction transaction(db);
            if (bin) {
                TRecycleBin(db.Handle()).KeepGroup(QStringLiteral("IEType"), 1);
            } else {
                transaction.Run("delete from IEType where SelfIndex=1 or ParentIndex=1", {});
                transaction.Run("delete from IE where TypeID=1", {});
            }
            transaction.Commit();
            (bin ? kept : plain).push_back(double(clock.nsecsElapsed()) / 1e6);
        }
        db.ExecuteBatch(QStringLiteral("delete from RecycleBinRow; delete from RecycleBin"));
    }

    TFormMain form(db, dialogs);
    if (!form.FormShow())
        return 1;
    form.show();
    form.FinishLoading();
    auto* page = form.findChild<TWebAddrPage*>();
    form.findChild<QTabWidget*>(QStringLiteral("PageTabs"))->setCurrentIndex(1);
    page->ListAllAddresses();
    auto* binAction = form.findChild<QAction*>(QStringLiteral("actRecycleBin"));

    std::vector<double> restore;
    bool whole = true;
    for (int run = 0; run < Runs; ++run) {
        db.ExecuteBatch(FillGroup());
        {
            TWriteTransaction transaction(db);
            TRecycleBin(db.Handle()).KeepGroup(QStringLiteral("IEType"), 1);
            transaction.Commit();
        }
        form.FollowOutsideChange();
        form.FinishFollowing();
        QCoreApplication::processEvents();

        double ms = -1;
        QTimer::singleShot(0, &form, [&] {
            auto* dialog = qobject_cast<TFormRecycleBin*>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            QElapsedTimer clock;
            clock.start();
            QTest::mouseClick(dialog->btnRestore, Qt::LeftButton);
            while (!Shown(form) && clock.elapsed() < 20000)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            ms = double(clock.nsecsElapsed()) / 1e6;
            whole = whole && Shown(form);
            dialog->reject();
        });
        binAction->trigger();
        restore.push_back(ms);
        // The group goes again for the next run, with the window showing it gone.
        db.ExecuteBatch(QStringLiteral("delete from IE where TypeID=1; delete from IEType"));
        form.FollowOutsideChange();
        form.FinishFollowing();
    }

    std::printf("group of %d addresses, median of %d runs\n", Addresses, Runs);
    std::printf("delete, plain statements   %8.1f ms\n", Median(plain));
    std::printf("delete into the bin        %8.1f ms  (%.2fx)\n", Median(kept),
                Median(kept) / Median(plain));
    std::printf("restore, click to shown    %8.1f ms  (goal <= 1000 ms)%s\n", Median(restore),
                whole ? "" : "  NOT SHOWN");
    return whole ? 0 : 1;
}
