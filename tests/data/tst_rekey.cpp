#include "FileSizeLimit.h"
#include "TestFolder.h"
#include "Unprivileged.h"

#include "common/Errors.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"
#include "data/Sqlite.h"
#include "settings/BackupCommands.h"
#include "settings/FileEncryption.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <chrono>
#include <thread>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray Hash(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

// What a file holds, table by table, when the key opens it; empty when it does not.
QString Contents(const QString& path, const TFileKey& key)
{
    QString error;
    const TConnection connection = DatabaseFile::Open(path, true, &error, key);
    if (!connection)
        return {};
    QString contents;
    for (const char* sql : {"select count(*) from NoteBook",
                            "select (select count(*) from NoteHistory) || '/' || "
                            "(select count(*) from RecycleBinRow)",
                            "select group_concat(ReMark) from "
                            "NoteBook",
                            "select bPass from SysSet"}) {
        const TStatement statement = Prepare(connection.get(), QString::fromUtf8(sql), &error);
        if (!statement || sqlite3_step(statement.get()) != SQLITE_ROW)
            return {};
        contents += QString::fromUtf8(
                        reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0))) +
                    QLatin1Char('|');
    }
    return contents;
}

void AddNotes(TDbAccess& db, int count)
{
    for (int i = 1; i <= count; ++i)
        db.ExecuteBatch(
            QStringLiteral("insert into NoteBook (TypeID, ReMark) values (%1, '笔记 %1')").arg(i));
}

} // namespace

class TestRekey : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The password's key opens the file, and only it: the salt the key needs is in the file,
    // so the same password gives the same key to any copy of it.
    void passwordKeyTravelsWithTheFile()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        AddNotes(folder.Db(), 3);
        // This computer's own tables come along too.
        db.ExecuteBatch(QStringLiteral(
            "insert into NoteHistory (TypeID, Saved, Length, FirstLine, Content) "
            "values (1, 0, 1, 'a', x'00');"
            "insert into RecycleBinRow (ItemId, TableName, Content) values (1, 'IE', '{}')"));
        const QString path = folder.DatabasePath();
        const QString before = Contents(path, TFileKey());
        QVERIFY(before.contains(QStringLiteral("|1/1|")));

        const TFileKey key = TFileKey::Derive(QStringLiteral("密码 pw"), TFileKey::NewSalt());
        db.Rekey(key, QStringLiteral("update SysSet set bPass='-1'"));
        QCOMPARE(TFileKey::SaltOf(path), key.Salt());
        QVERIFY(TFileKey::Derive(QStringLiteral("密码 pw"), TFileKey::SaltOf(path)) == key);
        QVERIFY(!(TFileKey::Derive(QStringLiteral("密码 pW"), key.Salt()) == key));
        QString error;
        QVERIFY(!DatabaseFile::Open(path, false, &error, TFileKey()));
        QVERIFY(DatabaseFile::IsWrongKey(error));
        // Everything came along, and the statements given went with the new key.
        QCOMPARE(Contents(path, key), before.chopped(2) + QStringLiteral("-1|"));
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteBook")), 3);

        db.Rekey(TFileKey(), QString());
        QVERIFY(db.Key().IsStandard());
        QCOMPARE(Contents(path, TFileKey()), before.chopped(2) + QStringLiteral("-1|"));
    }

    // The password opens a file at the costs its key was derived with, and nothing else does:
    // today's costs under a marked salt, the first costs under a salt without the mark, and
    // also under one whose random bytes happen to bear it.
    void passwordOpensAtTheKeysCosts_data()
    {
        QTest::addColumn<bool>("marked");
        QTest::addColumn<bool>("today");
        QTest::newRow("today's costs") << true << true;
        QTest::newRow("first costs") << false << false;
        QTest::newRow("first costs, salt marked by chance") << true << false;
    }

    void passwordOpensAtTheKeysCosts()
    {
        QFETCH(bool, marked);
        QFETCH(bool, today);
        TTestFolder folder;
        folder.Connect();
        const QByteArray unmarked(TFileKey::SaltBytes, 'v');
        const TFileKey key =
            TFileKey::Derive(QStringLiteral("pw"), marked ? TFileKey::NewSalt() : unmarked,
                             today ? TFileKey::CurrentCosts() : TFileKey::CostsOf(unmarked));
        folder.Db().Rekey(key, QString());
        const auto opens = [&folder](const TFileKey& tried) {
            QString error;
            return DatabaseFile::Open(folder.DatabasePath(), false, &error, tried) != nullptr;
        };
        const QByteArray salt = TFileKey::SaltOf(folder.DatabasePath());
        QCOMPARE(TFileKey::KeyThatOpens(QStringLiteral("pw"), salt, opens), key);
        QVERIFY(!TFileKey::KeyThatOpens(QStringLiteral("pW"), salt, opens));
    }

    // A folder the program may not write: the old file stays in use, untouched, and the reason
    // names the folder.
    void failedRekeyKeepsTheOldFile()
    {
        TTestFolder folder;
        folder.Connect();
        AddNotes(folder.Db(), 2);
        const QString path = folder.DatabasePath();
        const QByteArray before = Hash(path);
        const TFileKey key = TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt());
        QFile::setPermissions(folder.Path(), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther);
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOther);
        const bool refused = RunUnprivileged([&] {
            TDbAccess db;
            if (QString error; !db.Open(TFileKey(), &error))
                return false;
            try {
                db.Rekey(key, QString());
            } catch (const EDBException& e) {
                return e.Message().contains(QDir::toNativeSeparators(folder.Path().chopped(1))) &&
                       db.QueryInteger(QStringLiteral("select count(*) from NoteBook")) == 2 &&
                       db.Key().IsStandard();
            }
            return false;
        });
        QFile::setPermissions(folder.Path(),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QVERIFY(refused);
        QCOMPARE(Hash(path), before);
        QVERIFY(QDir(folder.Path()).entryList({QStringLiteral("bookkeep.dat.*")}).isEmpty());
    }

    // A disk that fills up while the new file is written, or a written file short of rows of the
    // old one: the same.
    void unprovenRekeyKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("sizeLimit");
        QTest::addColumn<QString>("batch");
        QTest::newRow("full disk") << 64 * 1024 << QString();
        QTest::newRow("rows lost") << (1 << 30) << QStringLiteral("delete from NoteBook");
    }

    void unprovenRekeyKeepsTheOldFile()
    {
        QFETCH(int, sizeLimit);
        QFETCH(QString, batch);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteBook (TypeID, ReMark) values (1, "
                                                "hex(randomblob(100000)))"));
        const QByteArray before = Hash(folder.DatabasePath());
        const TFileKey key = TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt());
        {
            const TFileSizeLimit full{rlim_t(sizeLimit)};
            QVERIFY(full.Set());
            QVERIFY_THROWS_EXCEPTION(EDBException, db.Rekey(key, batch));
        }
        QCOMPARE(Hash(folder.DatabasePath()), before);
        QVERIFY(db.Key().IsStandard());
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteBook")), 1);
        QVERIFY(QDir(folder.Path()).entryList({QStringLiteral("bookkeep.dat.*")}).isEmpty());
    }

    // Killed at any moment of an encryption, a change of password or a return to the standard
    // key, the file's name holds the old file or the new one, whole; once the next start has run,
    // every copy the program made opens with the file's key while the file is encrypted, and
    // nothing staged is left beside the copies.
    void killDuringRekeyLeavesOneWholeFile()
    {
        TTestFolder folder;
        folder.Connect();
        AddNotes(folder.Db(), 200);
        folder.Db().ExecuteBatch(QStringLiteral("insert into NoteBook (TypeID, ReMark) values (0, "
                                                "hex(randomblob(700000)))"));
        QVERIFY(QDir().mkpath(DailyBackupFolder()));
        DailyBackup(folder.Db(), QDate(2026, 1, 2));
        folder.Db().BackupTo(SafetyCopyPath());
        const QString path = folder.DatabasePath();
        const QString contents = Contents(path, TFileKey());
        const TFileKey keys[] = {TFileKey::Derive(QStringLiteral("a"), TFileKey::NewSalt()),
                                 TFileKey::Derive(QStringLiteral("b"), TFileKey::NewSalt()),
                                 TFileKey()};
        folder.Db().Disconnect();
        for (int round = 0; round < 16; ++round) {
            const pid_t child = ::fork();
            if (child == 0) {
                TDbAccess db;
                int turn = 0;
                for (QString error; turn < 3 && !db.Open(keys[turn], &error); error.clear())
                    ++turn;
                while (turn < 3) {
                    turn = (turn + 1) % 3;
                    ChangeFileKey(db, keys[turn], QString());
                }
                ::_exit(1);
            }
            std::this_thread::sleep_for(
                std::chrono::milliseconds(QRandomGenerator::global()->bounded(5, 1000)));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            QList<TFileKey> opening;
            for (const TFileKey& key : keys)
                if (Contents(path, key) == contents)
                    opening << key;
            QCOMPARE(opening.size(), 1);
            FinishCopyKeys(opening[0]);
            for (const QString& copy : ProgramCopies())
                QVERIFY(opening[0].IsStandard() || OpensWith(copy, opening[0]));
            QCOMPARE(QDir(DailyBackupFolder()).entryList(QDir::Files).size(), 1);
        }
    }

    // A copy that the old key does not open is left as it is; one that it opens goes over.
    void copiesFollowTheNewKey()
    {
        TTestFolder folder;
        folder.Connect();
        AddNotes(folder.Db(), 1);
        const QString copy = folder.Path() + QStringLiteral("copy.bat");
        const QString stranger = folder.Path() + QStringLiteral("stranger.bat");
        QVERIFY(QFile::copy(folder.DatabasePath(), copy));
        folder.WriteFile(QStringLiteral("stranger.bat"), QByteArray(4096, 'x'));
        const TFileKey key = TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt());

        QVERIFY(ReencryptCopy(copy, TFileKey(), key).isEmpty());
        QCOMPARE(Contents(copy, key), Contents(folder.DatabasePath(), TFileKey()));
        QVERIFY(ReencryptCopy(copy, TFileKey(), key).contains(QStringLiteral("copy.bat")));
        const QByteArray strange = Hash(stranger);
        QVERIFY(!ReencryptCopy(stranger, TFileKey(), key).isEmpty());
        QCOMPARE(Hash(stranger), strange);
    }
};

QTEST_GUILESS_MAIN(TestRekey)
#include "tst_rekey.moc"
