#include "TestFolder.h"

#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Schema.h"
#include "data/Sqlite.h"
#include "sync/ChangeScan.h"
#include "sync/SyncFolder.h"
#include "sync/SyncService.h"
#include "sync/SyncSettings.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

namespace {

// Another computer's data: a copy of the delivered file in its own folder, open.
TConnection OtherComputer(const QTemporaryDir& home)
{
    const QString path = home.filePath(QStringLiteral("bookkeep.dat"));
    QFile::copy(TTestFolder::DeliveredDatabase(), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    TConnection connection = DatabaseFile::Open(path, false, &error);
    if (connection)
        error = DatabaseSchema::Upgrade(connection.get());
    if (!error.isEmpty())
        qFatal("%s", qPrintable(error));
    return connection;
}

int Count(const QString& path, const QString& sql)
{
    QString error;
    const TConnection connection = DatabaseFile::OpenReadOnly(path, &error);
    const TStatement statement = Prepare(connection.get(), sql, &error);
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW
               ? sqlite3_column_int(statement.get(), 0)
               : -1;
}

TSyncSettings Settings(const QTemporaryDir& folder)
{
    return {folder.path(), QStringLiteral("desk"), QStringLiteral("deskDevice01")};
}

} // namespace

class TestSyncService : public QObject
{
    Q_OBJECT

    QTemporaryDir FConfigHome;

private slots:
    void initTestCase() { qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfigHome.path())); }

    void deviceIdFollowsTheMachine_data()
    {
        QTest::addColumn<QString>("laterMachine");
        QTest::addColumn<bool>("sameId");
        QTest::newRow("same machine") << "machine-a" << true;
        QTest::newRow("settings copied to another machine") << "machine-b" << false;
    }
    void deviceIdFollowsTheMachine()
    {
        QFETCH(QString, laterMachine);
        QFETCH(bool, sameId);
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Velmora"),
                  QStringLiteral("Velmora"))
            .remove(QStringLiteral("Sync"));
        const TSyncSettings first = TSyncSettings::Load(QStringLiteral("machine-a"));
        const TSyncSettings later = TSyncSettings::Load(laterMachine);
        QVERIFY(!first.Device.isEmpty());
        QCOMPARE(later.Device == first.Device, sameId);
        // The new id stands from then on.
        QCOMPARE(TSyncSettings::Load(laterMachine).Device, later.Device);
    }

    // This computer merges another's file and follows with the window; its own file, written
    // after a change, brings the change to the other.
    void exchangesBothWays()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        QTemporaryDir sync;
        QTemporaryDir laptopHome;
        const TConnection laptop = OtherComputer(laptopHome);
        QCOMPARE(DatabaseFile::Execute(laptop.get(),
                                       QStringLiteral("insert into NoteType values (5, 0, 'L')")),
                 QString());
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QCOMPARE(SyncFolder::WriteOwnFile(laptop.get(), sync.path(), QStringLiteral("laptop01"),
                                          TFileKey(), now),
                 QString());

        TSyncService service;
        service.ExportSpacingMs = 0;
        QSignalSpy changed(&service, &TSyncService::DataChanged);
        service.Start(db.DatabasePath(), db.Key(), Settings(sync));
        QTRY_COMPARE(changed.count(), 1);
        QCOMPARE(Count(db.DatabasePath(),
                       QStringLiteral("select count(*) from NoteType where TypeName = 'L'")),
                 1);

        QTRY_COMPARE(service.Exports(), 1);
        const int exports = service.Exports();
        db.ExecuteBatch(QStringLiteral("insert into NoteType values (9, 0, 'D')"));
        QTRY_VERIFY_WITH_TIMEOUT(service.Exports() > exports, 10000);
        PeerMerge::TSetup setup{
            QStringLiteral("laptop01"), QStringLiteral("laptop"), QStringLiteral("desk"), now, {}};
        const PeerMerge::TReport report = SyncFolder::MergePeerFile(
            laptop.get(), sync.filePath(SyncFolder::OwnFileName(QStringLiteral("deskDevice01"))),
            TFileKey(), setup);
        QCOMPARE(report.Refused, QString());
        QCOMPARE(Rows(laptop.get()), 2);
        service.Stop();
    }

    void peerUnderAnotherPassword_data()
    {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<int>("merged");
        QTest::newRow("cancelled: skipped") << QString() << 0;
        QTest::newRow("right password: merged") << QStringLiteral("pw") << 1;
    }
    // Asked once per run, whatever the answer; a peer that stays shut is skipped and said.
    void peerUnderAnotherPassword()
    {
        QFETCH(QString, answer);
        QFETCH(int, merged);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        QTemporaryDir sync;
        QTemporaryDir laptopHome;
        const TConnection laptop = OtherComputer(laptopHome);
        QCOMPARE(DatabaseFile::Execute(laptop.get(),
                                       QStringLiteral("insert into NoteType values (5, 0, 'L')")),
                 QString());
        const TFileKey key = TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt());
        QCOMPARE(SyncFolder::WriteOwnFile(laptop.get(), sync.path(), QStringLiteral("laptop01"),
                                          key, QDateTime::currentMSecsSinceEpoch()),
                 QString());

        TSyncService service;
        QStringList asked;
        service.AskPassword = [&](const QString& peer) {
            asked << peer;
            return answer;
        };
        // A second start in the same run reads the file again.
        for (int run = 0; run < 2; ++run) {
            service.Start(db.DatabasePath(), db.Key(), Settings(sync));
            QTRY_VERIFY_WITH_TIMEOUT(!service.Peers().isEmpty(), 20000);
            service.Stop();
        }
        QCOMPARE(asked, QStringList{QStringLiteral("laptop01")});
        QCOMPARE(Count(db.DatabasePath(),
                       QStringLiteral("select count(*) from NoteType where TypeName = 'L'")),
                 merged);
        QCOMPARE(service.StatusText(QDateTime::currentMSecsSinceEpoch())
                     .startsWith(QStringLiteral("无法读取 laptop01")),
                 merged == 0);
    }

    void largeDeletionAsked_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No keeps them") << false;
        QTest::newRow("Yes deletes them") << true;
    }
    void largeDeletionAsked()
    {
        QFETCH(bool, yes);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral(
            "insert into NoteType with recursive n(i) as (select 1 union all select i+1 from n "
            "where i < 30) select i, 0, 'G' || i from n"));
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        QString error;
        {
            const TConnection desk = DatabaseFile::Open(db.DatabasePath(), false, &error);
            ChangeScan::Run(desk.get(), QStringLiteral("deskDevice01"), now - 1000);
        }
        QTemporaryDir sync;
        QTemporaryDir laptopHome;
        const QString laptopPath = laptopHome.filePath(QStringLiteral("bookkeep.dat"));
        QVERIFY(QFile::copy(db.DatabasePath(), laptopPath));
        const TConnection laptop = DatabaseFile::Open(laptopPath, false, &error);
        QCOMPARE(DatabaseFile::Execute(laptop.get(), QStringLiteral("delete from NoteType")),
                 QString());
        QCOMPARE(SyncFolder::WriteOwnFile(laptop.get(), sync.path(), QStringLiteral("laptop01"),
                                          TFileKey(), now),
                 QString());

        TSyncService service;
        int asked = 0;
        service.ConfirmDeletions = [&](const QString&, int groups, int) {
            ++asked;
            return groups == 30 && yes;
        };
        service.Start(db.DatabasePath(), db.Key(), Settings(sync));
        QTRY_VERIFY(!service.Peers().isEmpty());
        service.Stop();
        QCOMPARE(asked, 1);
        QCOMPARE(Count(db.DatabasePath(), QStringLiteral("select count(*) from NoteType")),
                 yes ? 0 : 30);
    }

private:
    static int Rows(sqlite3* connection)
    {
        QString error;
        const TStatement statement = Prepare(
            connection, QStringLiteral("select count(*) from NoteType where TypeName in ('L','D')"),
            &error);
        return statement && sqlite3_step(statement.get()) == SQLITE_ROW
                   ? sqlite3_column_int(statement.get(), 0)
                   : -1;
    }
};

QTEST_GUILESS_MAIN(TestSyncService)
#include "tst_syncservice.moc"
