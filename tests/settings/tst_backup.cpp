#include "FileSizeLimit.h"
#include "FixedLogClock.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Unprivileged.h"

#include "common/CardException.h"
#include "common/Errors.h"
#include "controls/GridSource.h"
#include "controls/GridView.h"
#include "data/DataFileLock.h"
#include "data/DbAccess.h"
#include "data/DurableFiles.h"
#include "data/GridSet.h"
#include "data/Schema.h"
#include "data/Sqlite.h"
#include "settings/BackupCommands.h"
#include "settings/Config.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <sys/file.h>
#include <sys/inotify.h>
#include <sys/stat.h>

#include <cstdio>
#include <thread>

#include <climits>
#include <fcntl.h>
#include <unistd.h>

namespace {

QByteArray Hash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void AddGroup(TDbAccess& db, int number, const QString& name)
{
    db.ExecuteBatch(QStringLiteral("insert into NoteType(SelfIndex,ParentIndex,TypeName) "
                                   "values (%1,0,'%2')")
                        .arg(number)
                        .arg(name));
}

QStringList Groups(TDbAccess& db)
{
    db.OpenQuery(QStringLiteral("select TypeName from NoteType order by SelfIndex"));
    QStringList names;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        names << set.AsString(QStringLiteral("TypeName"));
    return names;
}

QStringList Files(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
}

QString LogText(const TTestFolder& folder, const TFixedLogClock& clock)
{
    return QString::fromLocal8Bit(folder.ReadFile(clock.FileName()));
}

// Runs a command the way the main window does: an error is shown by the handler.
template <typename Command> auto Guarded(Command command)
{
    decltype(command()) result{};
    RunGuarded([&] { result = command(); });
    return result;
}

// Every file under a folder with its hash.
QMap<QString, QByteArray> Tree(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree.insert(path, it.fileInfo().isFile() ? Hash(path) : QByteArray());
    }
    return tree;
}

// A copy of the delivered database changed by statements run on it with the program's key.
void WriteCraftedDatabase(const QString& path, const QString& statements)
{
    QFile::remove(path);
    QVERIFY(QFile::copy(TTestFolder::DeliveredDatabase(), path));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    const TConnection connection = DatabaseFile::Open(path, false, &error);
    QVERIFY2(connection, qPrintable(error));
    error = DatabaseFile::Execute(connection.get(), statements);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

class TGridStub final : public TGridView
{
public:
    void SetDataSource(TGridSource* source) override { Source = source; }
    void AutoFitColumns() override {}
    TGridSource* Source = nullptr;
};

} // namespace

class TestBackup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void backupWritesExactCopies()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        const QString target = folder.Path() + QStringLiteral("backups/");
        QVERIFY(QDir().mkpath(target));
        AddGroup(folder.Db(), 1, QStringLiteral("A"));

        dialogs.FileNames << target + QStringLiteral("abc");
        BackupCommand(folder.Db(), dialogs);
        QCOMPARE(dialogs.FileFilters, QStringList(QStringLiteral("数据文件 (*.bat)|*.bat")));
        QCOMPARE(Files(target), QStringList(QStringLiteral("abc.bat")));
        QCOMPARE(Hash(target + QStringLiteral("abc.bat")), Hash(folder.DatabasePath()));

        // The same name again asks first: No goes back to the name (cancelled), Yes replaces.
        AddGroup(folder.Db(), 2, QStringLiteral("B"));
        const QByteArray first = Hash(target + QStringLiteral("abc.bat"));
        dialogs.FileNames << target + QStringLiteral("abc");
        BackupCommand(folder.Db(), dialogs);
        QVERIFY(dialogs.Texts().value(0).contains(target + QStringLiteral("abc.bat")));
        QCOMPARE(Hash(target + QStringLiteral("abc.bat")), first);
        dialogs.FileNames << target + QStringLiteral("abc");
        dialogs.Answers << true;
        BackupCommand(folder.Db(), dialogs);
        QCOMPARE(Files(target), QStringList(QStringLiteral("abc.bat")));
        QCOMPARE(Hash(target + QStringLiteral("abc.bat")), Hash(folder.DatabasePath()));

        // A name that already ends in ".bat" is taken as it is.
        dialogs.FileNames << target + QStringLiteral("abc.bat") << target + QStringLiteral("x.BAT");
        dialogs.Answers << true;
        BackupCommand(folder.Db(), dialogs);
        BackupCommand(folder.Db(), dialogs);
        QCOMPARE(Files(target),
                 QStringList({QStringLiteral("abc.bat"), QStringLiteral("x.BAT.bat")}));

        // Cancelled: nothing.
        BackupCommand(folder.Db(), dialogs);
        QCOMPARE(Files(target).size(), 2);
        QCOMPARE(dialogs.Boxes.size(), 3);
        QVERIFY(LogText(folder, logClock).isEmpty());
        QCOMPARE(Groups(folder.Db()), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    }

    void backupOntoTheDatabaseChangesNothing()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        const QByteArray before = Hash(folder.DatabasePath());
        folder.Db().BackupTo(folder.DatabasePath());
        QCOMPARE(Hash(folder.DatabasePath()), before);
        // The connection still writes to the file that has the name.
        AddGroup(folder.Db(), 1, QStringLiteral("A"));
        QVERIFY(Hash(folder.DatabasePath()) != before);
    }

    void backupFailureIsReported_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("no such folder") << QStringLiteral("missing/abc");
        QTest::newRow("a folder as target") << QStringLiteral("folder");
    }

    void backupFailureIsReported()
    {
        QFETCH(QString, name);
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        QVERIFY(QDir(folder.Path()).mkdir(QStringLiteral("folder.bat")));
        const QStringList before = Files(folder.Path());

        dialogs.FileNames << folder.Path() + name;
        Guarded([&] {
            BackupCommand(folder.Db(), dialogs);
            return true;
        });
        QCOMPARE(dialogs.Boxes.size(), 1);
        QCOMPARE(dialogs.Boxes[0].Kind, TBoxKind::Error);
        const QStringList lines = dialogs.Boxes[0].Text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("数据库备份失败！"));
        QVERIFY2(lines[1].size() > QStringLiteral("详细信息：").size(), qPrintable(lines[1]));
        // No file, no temporary left behind, nothing logged.
        QCOMPARE(Files(folder.Path()), before);
        QVERIFY(QDir(folder.Path() + QStringLiteral("folder.bat")).isEmpty());
    }

    // A failed copy says the system's reason: a folder that may not be written is named as
    // such, a file the system will not let grow says so.
    void backupFailureNamesTheCause()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        folder.Db().ExecuteBatch(QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) "
                                                "values (0,'u','n', hex(randomblob(100000)))"));
        const QString readOnly = folder.Path() + QStringLiteral("ro");
        QVERIFY(QDir().mkdir(readOnly));
        ::chmod(QFile::encodeName(readOnly).constData(), 0555);
        ::chmod(QFile::encodeName(folder.Path()).constData(), 0755);
        ::chmod(QFile::encodeName(folder.DatabasePath()).constData(), 0644);
        QVERIFY(RunUnprivileged([&] {
            return folder.Db()
                .CopyTo(readOnly + QStringLiteral("/b.bat"))
                .contains(QDir::toNativeSeparators(readOnly) + QStringLiteral(": 文件夹是只读的"));
        }));
        ::chmod(QFile::encodeName(readOnly).constData(), 0755);

        QString reason;
        {
            const TFileSizeLimit full(64 * 1024);
            QVERIFY(full.Set());
            reason = folder.Db().CopyTo(folder.Path() + QStringLiteral("big.bat"));
        }
        QVERIFY2(reason.contains(WriteFailure(EFBIG)), qPrintable(reason));
        QCOMPARE(QDir(folder.Path()).entryList({QStringLiteral("big.bat*")}), {});
    }

    void restoreReplacesTheDatabase()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        AddGroup(folder.Db(), 1, QStringLiteral("saved"));
        const QString backup = folder.Path() + QStringLiteral("b.bat");
        folder.Db().BackupTo(backup);
        AddGroup(folder.Db(), 2, QStringLiteral("later"));
        folder.Db().ExecuteBatch(
            QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) values (0,'u','','')"));
        folder.Db().OpenQuery(QStringLiteral("select * from NoteType"));
        TGridStub grid;
        OpenGrid(folder.Db(), QStringLiteral("select * from IE"), grid, false);
        QCOMPARE(grid.Source->rowCount(), 1);
        QSignalSpy gridReset(grid.Source, &QAbstractItemModel::modelReset);
        const QByteArray current = Hash(folder.DatabasePath());
        const QByteArray saved = Hash(backup);
        const QString journal = folder.DatabasePath() + QStringLiteral("-journal");
        QVERIFY(QFile::exists(journal));

        QVERIFY(DataFileLock::Take(folder.DatabasePath()));
        const auto release = qScopeGuard([] { DataFileLock::Release(); });

        dialogs.Answers << true;
        dialogs.FileNames << backup;
        QVERIFY(Guarded([&] { return RestoreCommand(config, dialogs); }));
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral(
                                      "你确定要恢复数据吗？你做的操作可能会覆盖最新的数据！")));
        // The program's hold went with the data to the new file.
        const int other = ::open(QFile::encodeName(folder.DatabasePath()).constData(), O_RDONLY);
        QVERIFY(other >= 0 && ::flock(other, LOCK_EX | LOCK_NB) != 0);
        ::close(other);
        QCOMPARE(dialogs.FileFilters, QStringList(QStringLiteral("数据文件 (*.bat)|*.bat")));
        QCOMPARE(Hash(folder.DatabasePath()), Hash(backup));
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(Hash(SafetyCopyPath()), current);
        QCOMPARE(SafetyCopyPath(), folder.Path() + QStringLiteral("tmpData.bat"));
        QVERIFY(LogText(folder, logClock).endsWith(QStringLiteral("：数据恢复！\r\n")));
        // Nothing read from the old file survives, and the reopened connection works.
        QVERIFY(folder.Db().Connected());
        // The query set holds only the restored file's settings, read after the restore.
        QCOMPARE(folder.Db().QuerySet().RecordCount(), 1);
        QVERIFY(!folder.Db().QuerySet().AsBoolean(QStringLiteral("bPass")));
        QVERIFY(!folder.Db().GridSet().Active());
        QCOMPARE(grid.Source->rowCount(), 0);
        QVERIFY(!gridReset.isEmpty());
        QCOMPARE(Groups(folder.Db()), QStringList(QStringLiteral("saved")));
        AddGroup(folder.Db(), 3, QStringLiteral("new"));
        QCOMPARE(Groups(folder.Db()),
                 QStringList({QStringLiteral("saved"), QStringLiteral("new")}));
        // The backup itself was only read.
        QCOMPARE(Hash(backup), saved);
    }

    void restoreStopped()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        const QStringList before = Files(folder.Path());
        QVERIFY(!RestoreCommand(config, dialogs)); // No
        QVERIFY(dialogs.FileFilters.isEmpty());
        dialogs.Answers << true;
        QVERIFY(!RestoreCommand(config, dialogs)); // no file chosen
        QCOMPARE(dialogs.FileFilters.size(), 1);
        QCOMPARE(Files(folder.Path()), before);
        QVERIFY(folder.Db().Connected());
    }

    // A file that is not a sound database of this program is refused before anything changes:
    // the database byte for byte, its connection, the safety copy and the log.
    void restoreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("crafted"); // statements run on a copy of the delivered file
        QTest::addColumn<QString>("cause");   // what the box must name
        QTest::newRow("text file") << "text" << QString() << QString();
        QTest::newRow("missing") << "missing" << QString() << qt_error_string(ENOENT);
        QTest::newRow("a damaged page") << "damaged" << QString() << QString();
        QTest::newRow("a table missing") << "table" << QString() << QStringLiteral("IE");
        QTest::newRow("trigger")
            << "crafted"
            << "create trigger Wipe after insert on NoteBook begin delete from IE; end"
            << QStringLiteral("多出触发器 Wipe");
        QTest::newRow("view") << "crafted"
                              << "create view Everything as select * from IE"
                              << QStringLiteral("多出视图 Everything");
        QTest::newRow("constraint")
            << "crafted"
            << "drop table SysSet; create table SysSet (bPass boolean, PassWord text "
               "check (length(PassWord) < 3)); insert into SysSet values (0, '')"
            << QStringLiteral("表 SysSet 的定义不同");
        QTest::newRow("side table defined otherwise")
            << "crafted"
            << "drop table SyncAgreed; create table SyncAgreed (RowId text, Content text)"
            << QStringLiteral("表 SyncAgreed 的定义不同");
        QTest::newRow("extra table") << "crafted"
                                     << "create table Extra (x)" << QStringLiteral("多出表 Extra");
        QTest::newRow("wrong column")
            << "crafted"
            << "drop table NoteBook; create table NoteBook (TypeID integer, Remarks text); "
               "create index NoteBook_TypeID on NoteBook (TypeID)"
            << QStringLiteral("表 NoteBook 的定义不同");
        QTest::newRow("index missing")
            << "crafted"
            << "drop index IE_TypeID" << QStringLiteral("缺少索引 IE_TypeID");
        QTest::newRow("WAL beside") << "wal" << QString() << QStringLiteral("WAL");
        QTest::newRow("plain SQLite") << "plain" << QString() << QStringLiteral("未加密");
        QTest::newRow("text group number")
            << "crafted"
            << "insert into NoteType values (1, 0, 'a'), ('x', 1, 'b')"
            << QStringLiteral("NoteType 第 2 行的 SelfIndex");
        QTest::newRow("parent past 32 bits")
            << "crafted"
            << "insert into IEType values (1, 4294967296, 'a')" << QStringLiteral("ParentIndex");
        QTest::newRow("address number past 32 bits")
            << "crafted"
            << "insert into IE(ID, TypeID) values (1099511627776, 0)"
            << QStringLiteral("IE 第 1099511627776 行的 ID");
        QTest::newRow("text address group number") << "crafted"
                                                   << "insert into IEType values ('x', 0, 'a')"
                                                   << "IEType 第 1 行的 SelfIndex";
        QTest::newRow("text note parent") << "crafted"
                                          << "insert into NoteType values (1, 'x', 'a')"
                                          << "NoteType 第 1 行的 ParentIndex";
        QTest::newRow("text address group") << "crafted"
                                            << "insert into IE(TypeID) values ('x')"
                                            << "IE 第 1 行的 TypeID";
        QTest::newRow("note group past 32 bits") << "crafted"
                                                 << "insert into NoteBook values (4294967296, '')"
                                                 << "NoteBook 第 1 行的 TypeID";
        QTest::newRow("login switch not yes or no") << "crafted"
                                                    << "update SysSet set bPass = 'maybe'"
                                                    << "SysSet 第 1 行的 bPass";
        QTest::newRow("note group numbers twice")
            << "crafted"
            << "insert into NoteType values (1, 0, 'A'), (2, 0, 'B'), (1, 0, 'C')"
            << "NoteType 第 1 行与第 3 行都是 1";
        QTest::newRow("address group numbers twice")
            << "crafted"
            << "insert into IEType values (7, 0, 'A'), ('7', 0, 'B')"
            << "IEType 第 1 行与第 2 行";
        // Sound to every earlier check: only the engine's own check finds the orphaned pages.
        QTest::newRow("pages never used")
            << "crafted"
            << "create table Junk (x); insert into Junk values (randomblob(20000)); "
               "PRAGMA writable_schema = ON; delete from sqlite_master where name = 'Junk'"
            << "never used";
        QTest::newRow("large sparse file") << "sparse" << QString() << QStringLiteral("密码");
        QTest::newRow("truncated") << "truncated" << QString() << QString();
        QTest::newRow("zero bytes") << "empty" << QString() << QStringLiteral("空的");
        QTest::newRow("a directory") << "directory" << QString() << qt_error_string(EISDIR);
        QTest::newRow("a FIFO") << "fifo" << QString() << QStringLiteral("命名管道");
        QTest::newRow("a link to /dev/zero") << "zero" << QString() << QStringLiteral("设备");
    }

    void restoreRefused()
    {
        QFETCH(QString, kind);
        QFETCH(QString, crafted);
        QFETCH(QString, cause);
        TTestFolder folder;
        TConfig config(folder.Connect());
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        const QString source = folder.Path() + QStringLiteral("bad.bat");
        // Earlier safety copies and automatic backups, which a refused file must leave alone.
        folder.Db().BackupTo(SafetyCopyPath());
        folder.Db().BackupTo(folder.Path() + QStringLiteral("tmpData-20260101-101010.bat"));
        QVERIFY(QDir(folder.Path()).mkdir(QStringLiteral("备份")));
        folder.Db().BackupTo(folder.Path() + QStringLiteral("备份/bookkeep-20260101.bat"));
        folder.Db().ExecuteBatch(QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) "
                                                "values (0,'u','n', hex(randomblob(100000)))"));
        if (kind == QLatin1String("text")) {
            folder.WriteFile(QStringLiteral("bad.bat"), "@echo off\r\necho not a database\r\n");
        } else if (kind == QLatin1String("damaged")) {
            // The first pages, which opening reads, are sound; one further on is not.
            folder.Db().BackupTo(source);
            QByteArray bytes = folder.ReadFile(QStringLiteral("bad.bat"));
            for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
                bytes[i] = char(~bytes[i]);
            folder.WriteFile(QStringLiteral("bad.bat"), bytes);
        } else if (kind == QLatin1String("table")) {
            folder.Db().ExecuteBatch(
                QStringLiteral("create table Saved as select * from IE@#@drop table IE"));
            folder.Db().BackupTo(source);
            folder.Db().ExecuteBatch(
                QStringLiteral("create table IE as select * from Saved@#@drop table Saved"));
        } else if (kind == QLatin1String("crafted")) {
            WriteCraftedDatabase(source, crafted);
        } else if (kind == QLatin1String("wal")) {
            folder.Db().BackupTo(source);
            folder.WriteFile(QStringLiteral("bad.bat-wal"), "changes");
        } else if (kind == QLatin1String("plain")) {
            sqlite3* raw = nullptr;
            sqlite3_open(QFile::encodeName(source).constData(), &raw);
            sqlite3_exec(raw, "create table IE(a)", nullptr, nullptr, nullptr);
            sqlite3_close(raw);
        } else if (kind == QLatin1String("sparse")) {
            QFile sparse(source);
            QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(qint64(256) << 20));
        } else if (kind == QLatin1String("truncated")) {
            folder.Db().BackupTo(source);
            const QByteArray bytes = folder.ReadFile(QStringLiteral("bad.bat"));
            folder.WriteFile(QStringLiteral("bad.bat"), bytes.left(bytes.size() / 2));
        } else if (kind == QLatin1String("empty")) {
            folder.WriteFile(QStringLiteral("bad.bat"), QByteArray());
        } else if (kind == QLatin1String("directory")) {
            QVERIFY(QDir(folder.Path()).mkdir(QStringLiteral("bad.bat")));
        } else if (kind == QLatin1String("fifo")) {
            QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
        } else if (kind == QLatin1String("zero")) {
            QVERIFY(QFile::link(QStringLiteral("/dev/zero"), source));
        }
        AddGroup(folder.Db(), 1, QStringLiteral("kept"));
        const QByteArray database = Hash(folder.DatabasePath());
        const QStringList before = Files(folder.Path());
        const QMap<QString, QByteArray> files = Tree(folder.Path());

        dialogs.Answers << true;
        dialogs.FileNames << source;
        QVERIFY(!Guarded([&] { return RestoreCommand(config, dialogs); }));
        QCOMPARE(dialogs.Boxes.size(), 2);
        const QStringList lines = dialogs.Boxes[1].Text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("数据库恢复失败！"));
        QVERIFY2(lines[1].size() > QStringLiteral("详细信息：").size(), qPrintable(lines[1]));
        QVERIFY2(lines[1].contains(cause), qPrintable(lines[1]));

        QCOMPARE(Hash(folder.DatabasePath()), database);
        QCOMPARE(Files(folder.Path()), before);
        QCOMPARE(Tree(folder.Path()), files);
        QVERIFY(folder.Db().Connected());
        QCOMPARE(Groups(folder.Db()), QStringList(QStringLiteral("kept")));
        QVERIFY(LogText(folder, logClock).isEmpty());
    }

    // Every restore keeps the database it replaces: the newest as the safety copy, the ten before
    // it under dated names in the order they were made.
    void safetyCopiesRotate()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        const QString backup = folder.Path() + QStringLiteral("b.bat");
        folder.Db().BackupTo(backup);
        QList<QByteArray> replaced;
        for (int i = 0; i < 12; ++i) {
            AddGroup(folder.Db(), 1, QString::number(i));
            replaced << Hash(folder.DatabasePath());
            folder.Db().RestoreFrom(backup, SafetyCopyPath());
        }
        QCOMPARE(Hash(SafetyCopyPath()), replaced.last());
        const QStringList dated =
            QDir(folder.Path())
                .entryList({QStringLiteral("tmpData-\?\?\?\?\?\?\?\?-\?\?\?\?\?\?.bat")},
                           QDir::Files, QDir::Name);
        QCOMPARE(dated.size(), 10);
        for (int i = 0; i < 10; ++i)
            QCOMPARE(Hash(folder.Path() + dated[i]), replaced[i + 1]);
    }

    // A file made with the engine's own tools has the engine's default page size.
    void restoreEngineDefaultPageSize()
    {
        TScriptedDialogs dialogs;
        TTestFolder folder;
        TConfig config(folder.Connect());
        const QString source = folder.Path() + QStringLiteral("made.bat");
        {
            sqlite3* raw = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(source).constData(), &raw), SQLITE_OK);
            const TConnection connection(raw);
            QVERIFY(DatabaseFile::Execute(raw, QStringLiteral("PRAGMA key='58203917460385'"))
                        .isEmpty());
            QVERIFY(DatabaseFile::Execute(
                        raw, DatabaseSchema::CreateStatements() +
                                 QStringLiteral("insert into SysSet values (0, '');"
                                                "insert into NoteType values (1, 0, 'made');"))
                        .isEmpty());
        }
        folder.Db().RestoreFrom(source, SafetyCopyPath());
        QCOMPARE(Groups(folder.Db()), QStringList(QStringLiteral("made")));
        TDbAccess again;
        again.Connect(dialogs);
        QVERIFY(again.Connected());
    }

    // The restored file's login password holds at once: the settings dialog and the next
    // change of the settings ask for it.
    void restoredSettingsInForce()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        folder.Db().ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='pw' "));
        const QString backup = folder.Path() + QStringLiteral("b.bat");
        folder.Db().BackupTo(backup);
        folder.Db().ExecuteBatch(QStringLiteral("update SysSet set bPass='0',[PassWord]='' "));
        config.LoadConfig();
        dialogs.Answers << true;
        dialogs.FileNames << backup;
        QVERIFY(Guarded([&] { return RestoreCommand(config, dialogs); }));
        QVERIFY(config.bPass);
        QCOMPARE(config.PassWord, QStringLiteral("pw"));
    }

    // The first start of a day copies the database into "备份" as that day's file, staged like
    // the backup command; the last 14 days are kept, and the restore dialog opens there.
    void dailyBackups()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        const TFixedLogClock logClock;
        const QString backups = folder.Path() + QStringLiteral("备份/");
        const QDate first(2026, 3, 1);
        DailyBackup(folder.Db(), first);
        const QString day = backups + QStringLiteral("bookkeep-20260301.bat");
        QCOMPARE(Hash(day), Hash(folder.DatabasePath()));
        // Later starts that day leave the day's copy as it is.
        AddGroup(folder.Db(), 1, QStringLiteral("later"));
        DailyBackup(folder.Db(), first);
        QVERIFY(Hash(day) != Hash(folder.DatabasePath()));

        for (int i = 1; i < 20; ++i)
            DailyBackup(folder.Db(), first.addDays(i));
        const QStringList kept = Files(backups);
        QCOMPARE(kept.size(), 14);
        QCOMPARE(kept.first(), QStringLiteral("bookkeep-20260307.bat"));
        QCOMPARE(kept.last(), QStringLiteral("bookkeep-20260320.bat"));
        QVERIFY(LogText(folder, logClock).isEmpty());

        dialogs.Answers << true;
        RestoreCommand(config, dialogs);
        QCOMPARE(dialogs.OpenFolders, QStringList(folder.Path() + QStringLiteral("备份")));
    }

    // A failed automatic backup is only logged.
    void dailyBackupFailureIsLogged()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        const TFixedLogClock logClock;
        folder.WriteFile(QStringLiteral("备份"), "a file, not a folder");
        DailyBackup(folder.Db(), QDate(2026, 3, 1));
        QVERIFY(dialogs.Boxes.isEmpty());
        QVERIFY2(LogText(folder, logClock).contains(QStringLiteral("自动备份失败")),
                 qPrintable(LogText(folder, logClock)));

        // Without the folder the restore dialog opens where the desktop chooses.
        dialogs.Answers << true;
        RestoreCommand(config, dialogs);
        QCOMPARE(dialogs.OpenFolders, QStringList(QString()));
    }

    // A backup swapped for another file while it is being checked is not restored unchecked.
    void restoreRefusesAFileSwappedAfterTheCheck()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        const QString source = folder.Path() + QStringLiteral("b.bat");
        const QString other = folder.Path() + QStringLiteral("other.bat");
        // Large enough that its check takes far longer than the swap.
        db.ExecuteBatch(
            QStringLiteral("insert into NoteBook values (1, hex(randomblob(8000000)))"));
        db.BackupTo(source);
        WriteCraftedDatabase(other, QStringLiteral("insert into NoteType values ('x', 0, 'a')"));
        const QByteArray before = Hash(folder.DatabasePath());
        const int watch = ::inotify_init1(IN_CLOEXEC);
        QVERIFY(::inotify_add_watch(watch, QFile::encodeName(source).constData(), IN_OPEN) >= 0);
        // The swap follows the check's opening of the file.
        std::thread swapper([&] {
            char event[sizeof(inotify_event) + NAME_MAX + 1];
            if (::read(watch, event, sizeof event) > 0)
                std::rename(QFile::encodeName(other).constData(),
                            QFile::encodeName(source).constData());
        });
        QVERIFY_THROWS_EXCEPTION(EDBException, db.RestoreFrom(source, QString(), TFileKey()));
        swapper.join();
        ::close(watch);
        QCOMPARE(Hash(folder.DatabasePath()), before);
    }

    // Choosing the safety copy restores it as it is; it is not first overwritten with the
    // database it is to replace.
    void restoreSafetyCopy()
    {
        TTestFolder folder;
        TConfig config(folder.Connect());
        TScriptedDialogs dialogs;
        AddGroup(folder.Db(), 1, QStringLiteral("before"));
        folder.Db().BackupTo(SafetyCopyPath());
        const QByteArray safety = Hash(SafetyCopyPath());
        AddGroup(folder.Db(), 2, QStringLiteral("mistake"));

        dialogs.Answers << true;
        dialogs.FileNames << SafetyCopyPath();
        QVERIFY(Guarded([&] { return RestoreCommand(config, dialogs); }));
        QCOMPARE(Hash(SafetyCopyPath()), safety);
        QCOMPARE(Hash(folder.DatabasePath()), safety);
        QCOMPARE(Groups(folder.Db()), QStringList(QStringLiteral("before")));
        QCOMPARE(dialogs.Boxes.size(), 1);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
