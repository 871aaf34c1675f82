#include "ScriptedDialogs.h"
#include "SyncthingPair.h"
#include "Widgets.h"

#include "TestFolder.h"
#include "app/FormMain.h"
#include "common/AppPath.h"
#include "controls/StatusLine.h"
#include "data/DbAccess.h"

#include "data/FileKey.h"
#include "data/Sqlite.h"
#include "sync/ImportMerge.h"
#include "sync/SyncFolder.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QtTest>

#include <sqlcipher/sqlite3.h>
#include <sys/stat.h>

// Two computers, each with its own data file, kept in step by a real Syncthing pair on this
// machine: what the program writes into the synced folder and merges from it.
namespace {

constexpr qint64 Now = 1'800'000'000'000;
const QString Laptop = QStringLiteral("laptop");
const QString Desktop = QStringLiteral("desktop");

void Run(sqlite3* connection, const QString& statements)
{
    const QString error = DatabaseFile::Execute(connection, statements);
    if (!error.isEmpty())
        qFatal("%s: %s", qPrintable(statements), qPrintable(error));
}

TConnection Open(const QString& path)
{
    QString error;
    TConnection connection = DatabaseFile::Open(path, false, &error);
    if (!connection)
        qFatal("%s: %s", qPrintable(path), qPrintable(error));
    return connection;
}

// A copy of the delivered database with one note group, its note and one address.
TConnection Copy(const QString& path)
{
    QFile::copy(TTestFolder::DeliveredDatabase(), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    TConnection connection = Open(path);
    Run(connection.get(),
        QStringLiteral("insert into NoteType values (1, 0, 'Work');"
                       "insert into NoteBook values (1, 'one'||char(10)||'two'||char(10)||'three');"
                       "insert into IEType values (1, 0, 'News');"
                       "insert into IE (TypeID, IEUrl, IEName, ReMark) values "
                       "(1, 'start.example', 'S', '')"));
    return connection;
}

// What a user sees of the data: each note group with its note, each address.
QString State(sqlite3* connection)
{
    QString error;
    const TStatement statement = Prepare(
        connection,
        QStringLiteral("select 'group '||TypeName||': '||replace(coalesce(ReMark, ''), char(10), "
                       "'/') from NoteType left join NoteBook on TypeID=SelfIndex "
                       "union all select 'address '||IEUrl from IE order by 1"),
        &error);
    QStringList rows;
    while (statement && sqlite3_step(statement.get()) == SQLITE_ROW)
        rows << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    return error.isEmpty() ? rows.join(QLatin1Char('|')) : error;
}

int Count(const QString& path, const QString& sql)
{
    QString error;
    const TConnection file = DatabaseFile::OpenReadOnly(path, &error);
    const TStatement statement = file ? Prepare(file.get(), sql, &error) : nullptr;
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW
               ? sqlite3_column_int(statement.get(), 0)
               : -1;
}

PeerMerge::TSetup Setup(const QString& device, qint64 now)
{
    return {device, device, device == Laptop ? Desktop : Laptop, now, [](int, int) {
                return true;
            }};
}

} // namespace

class TestSyncthing : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<TSyncthingPair> FPair;
    QTemporaryDir FConfig;

    // A computer writes its own file into its side of the synced folder.
    QString Share(sqlite3* data, int side, const QString& device, qint64 now)
    {
        return SyncFolder::WriteOwnFile(data, FPair->Folder(side), device, TFileKey(), now);
    }

    // A computer merges the other computers' files that reached its side; why any was refused.
    QString Take(sqlite3* data, int side, const QString& device, qint64 now)
    {
        QStringList refused;
        const QList<SyncFolder::TPeerFile> peers =
            SyncFolder::PeerFiles(FPair->Folder(side), device);
        if (peers.isEmpty())
            refused << QStringLiteral("no peer file");
        for (const SyncFolder::TPeerFile& peer : peers)
            refused << SyncFolder::MergePeerFile(data, peer.Path, TFileKey(), Setup(device, now))
                           .Refused;
        refused.removeAll(QString());
        return refused.join(QLatin1Char('\n'));
    }

    QString DataFile(int side, const QString& subfolder) const
    {
        return FPair->Folder(side) + QLatin1Char('/') + subfolder + QStringLiteral("/bookkeep.dat");
    }

    // A copy of the delivered database in a subfolder of the synced folder on side 0, copied to
    // side 1 by Syncthing: the data file itself lying in a synced folder on both computers.
    QString ShareDataFile(const QString& subfolder)
    {
        QDir().mkpath(FPair->Folder(0) + QLatin1Char('/') + subfolder);
        Copy(DataFile(0, subfolder));
        return FPair->Exchange();
    }

private Q_SLOTS:
    void initTestCase()
    {
        if (TSyncthingPair::Program().isEmpty())
            QSKIP("needs syncthing (the Debian package) on the PATH");
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
        // Conflict copies are named by the local date.
        qputenv("TZ", "UTC");
        tzset();
        FPair = std::make_unique<TSyncthingPair>();
        const QString failure = FPair->Start();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }

    void cleanupTestCase() { FPair.reset(); }

    // Both computers edit while apart: a note a line each, an address each, a group renamed on
    // one. Once Syncthing carries their files across and each merges the other's, both hold all.
    void editsMadeApartEndInBoth()
    {
        TTestFolder folder;
        const TConnection laptop = Copy(folder.Path() + QStringLiteral("laptop.dat"));
        const TConnection desktop = Copy(folder.Path() + QStringLiteral("desktop.dat"));
        QCOMPARE(Share(laptop.get(), 0, Laptop, Now), QString());
        QCOMPARE(Share(desktop.get(), 1, Desktop, Now), QString());
        QCOMPARE(FPair->Exchange(), QString());
        QCOMPARE(Take(laptop.get(), 0, Laptop, Now + 1), QString());
        QCOMPARE(Take(desktop.get(), 1, Desktop, Now + 1), QString());

        QCOMPARE(FPair->Separate(), QString());
        Run(laptop.get(), QStringLiteral("update NoteBook set ReMark=replace(ReMark, 'one', 'ONE');"
                                         "insert into IE (TypeID, IEUrl) values (1, 'l.example')"));
        Run(desktop.get(),
            QStringLiteral("update NoteBook set ReMark=replace(ReMark, 'three', 'THREE');"
                           "insert into IE (TypeID, IEUrl) values (1, 'd.example');"
                           "update NoteType set TypeName='Plans' where SelfIndex=1"));
        QCOMPARE(Share(laptop.get(), 0, Laptop, Now + 2000), QString());
        QCOMPARE(Share(desktop.get(), 1, Desktop, Now + 3000), QString());
        QCOMPARE(FPair->Rejoin(), QString());
        QCOMPARE(FPair->Exchange(), QString());
        QCOMPARE(Take(laptop.get(), 0, Laptop, Now + 4000), QString());
        QCOMPARE(Take(desktop.get(), 1, Desktop, Now + 5000), QString());

        const QString both = QStringLiteral("address d.example|address l.example|"
                                            "address start.example|group Plans: ONE/two/THREE");
        QCOMPARE(State(laptop.get()), both);
        QCOMPARE(State(desktop.get()), both);
    }

    // bookkeep.dat itself in the synced folder, changed on both computers while apart: Syncthing
    // keeps one side's version in a conflict copy beside it, on both sides, and merging that copy
    // in brings back what that side had typed.
    void conflictCopyOfDataFileMerged()
    {
        const QString subfolder = QStringLiteral("conflict");
        QCOMPARE(ShareDataFile(subfolder), QString());
        QCOMPARE(FPair->Separate(), QString());
        Run(Open(DataFile(0, subfolder)).get(),
            QStringLiteral("update NoteBook set ReMark=ReMark||char(10)||'laptop'"));
        Run(Open(DataFile(1, subfolder)).get(),
            QStringLiteral("insert into IE (TypeID, IEUrl) values (1, 'desktop.example')"));
        QCOMPARE(FPair->Rejoin(), QString());
        QCOMPARE(FPair->Exchange(), QString());
        const QDir folder = QFileInfo(DataFile(0, subfolder)).dir();
        const QStringList copies =
            folder.entryList({QStringLiteral("bookkeep.sync-conflict-*.dat")});
        QCOMPARE(copies.size(), 1);
        const TConnection data = Open(DataFile(0, subfolder));
        const ImportMerge::TReport report = ImportMerge::MergeFile(
            data.get(), folder.filePath(copies.first()), TFileKey(), {Desktop, Now});
        QCOMPARE(report.Refused, QString());
        QCOMPARE(State(data.get()), QStringLiteral("address desktop.example|address start.example|"
                                                   "group Work: one/two/three/laptop"));
    }

    // bookkeep.dat in the synced folder, open in the window on side 0 while both computers
    // change it apart: the other's newer version wins and Syncthing renames it over the open
    // file. The window goes on with the new file, and what was typed here before and after is
    // in it, beside the other computer's address.
    void dataFileReplacedWhileOpen()
    {
        const QString subfolder = QStringLiteral("replaced");
        QCOMPARE(ShareDataFile(subfolder), QString());
        TTestFolder folder;
        SetAppPath(QFileInfo(DataFile(0, subfolder)).path());
        TScriptedDialogs dialogs;
        TDbAccess db;
        db.Connect(dialogs);
        QVERIFY(db.Connected());
        TFormMain form(db, dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        QCOMPARE(FPair->Separate(), QString());
        auto* note = Widget<QPlainTextEdit>(&form, "mmoNote");
        QTest::keyClicks(note, QStringLiteral("laptop"));
        const QString typed = QStringLiteral("select count(*) from NoteBook where ReMark='%1'");
        QTRY_COMPARE(Count(DataFile(0, subfolder), typed.arg(QStringLiteral("laptop"))), 1);
        Run(Open(DataFile(1, subfolder)).get(),
            QStringLiteral("insert into IE (TypeID, IEUrl) values (1, 'desktop.example')"));
        QCOMPARE(FPair->Rejoin(), QString());
        QCOMPARE(FPair->Exchange(), QString());
        QTest::keyClicks(note, QStringLiteral("+after"));
        QTRY_COMPARE(
            Widget<TStatusLine>(&form, "StatusLine")->text(),
            QStringLiteral("数据文件已被其他程序替换，本机尚未同步的内容已合并进新文件。"));
        QTRY_COMPARE(Count(DataFile(0, subfolder), typed.arg(QStringLiteral("laptop+after"))), 1);
        QCOMPARE(Count(DataFile(0, subfolder),
                       QStringLiteral("select count(*) from IE where IEUrl='desktop.example'")),
                 1);
    }
};

QTEST_MAIN(TestSyncthing)
#include "tst_syncthing.moc"
