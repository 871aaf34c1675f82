#include "FixedLogClock.h"
#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "common/CardException.h"
#include "data/DbAccess.h"
#include "data/GridSet.h"
#include "data/GridSource.h"
#include "data/GridView.h"
#include "settings/BackupCommands.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

namespace {

QByteArray Hash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void AddGroup(int number, const QString& name)
{
    DbExecute(QStringLiteral("insert into NoteType(SelfIndex,ParentIndex,TypeName) "
                             "values (%1,0,'%2')")
                  .arg(number)
                  .arg(name));
}

QStringList Groups()
{
    DbAccess->OpenQuery(QStringLiteral("select TypeName from NoteType order by SelfIndex"));
    QStringList names;
    for (TResultSet& set = DbAccess->QuerySet(); !set.Eof(); set.Next())
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

// An SQLCipher file with the five tables under another password.
void WriteForeignDatabase(const QString& path)
{
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    sqlite3_exec(raw, "PRAGMA key='another'", nullptr, nullptr, nullptr);
    QCOMPARE(sqlite3_exec(raw,
                          "create table IEType(a);create table NoteType(a);"
                          "create table IE(a);create table NoteBook(a);"
                          "create table SysSet(a);",
                          nullptr, nullptr, nullptr),
             SQLITE_OK);
    sqlite3_close(raw);
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
        folder.Connect();
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        const QString target = folder.Path() + QStringLiteral("backups/");
        QVERIFY(QDir().mkpath(target));
        AddGroup(1, QStringLiteral("A"));

        dialogs.FileNames << target + QStringLiteral("abc");
        BackupCommand();
        QCOMPARE(dialogs.FileFilters, QStringList(QStringLiteral("数据文件 (*.bat)|*.bat")));
        QCOMPARE(Files(target), QStringList(QStringLiteral("abc.bat")));
        QCOMPARE(Hash(target + QStringLiteral("abc.bat")), Hash(folder.DatabasePath()));

        // The same name again replaces the file without asking.
        AddGroup(2, QStringLiteral("B"));
        dialogs.FileNames << target + QStringLiteral("abc");
        BackupCommand();
        QCOMPARE(Files(target), QStringList(QStringLiteral("abc.bat")));
        QCOMPARE(Hash(target + QStringLiteral("abc.bat")), Hash(folder.DatabasePath()));

        // A name that already ends in ".bat" is taken as it is.
        dialogs.FileNames << target + QStringLiteral("abc.bat") << target + QStringLiteral("x.BAT");
        BackupCommand();
        BackupCommand();
        QCOMPARE(Files(target),
                 QStringList({QStringLiteral("abc.bat"), QStringLiteral("x.BAT.bat")}));

        // Cancelled: nothing.
        BackupCommand();
        QCOMPARE(Files(target).size(), 2);
        QVERIFY(dialogs.Boxes.isEmpty());
        QVERIFY(LogText(folder, logClock).isEmpty());
        QCOMPARE(Groups(), QStringList({QStringLiteral("A"), QStringLiteral("B")}));
    }

    void backupOntoTheDatabaseChangesNothing()
    {
        TTestFolder folder;
        folder.Connect();
        const QByteArray before = Hash(folder.DatabasePath());
        DbBackup(folder.DatabasePath());
        QCOMPARE(Hash(folder.DatabasePath()), before);
        // The connection still writes to the file that has the name.
        AddGroup(1, QStringLiteral("A"));
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
        folder.Connect();
        TScriptedDialogs dialogs;
        QVERIFY(QDir(folder.Path()).mkdir(QStringLiteral("folder.bat")));
        const QStringList before = Files(folder.Path());

        dialogs.FileNames << folder.Path() + name;
        Guarded([] {
            BackupCommand();
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

    void restoreReplacesTheDatabase()
    {
        TTestFolder folder;
        folder.Connect();
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        AddGroup(1, QStringLiteral("saved"));
        const QString backup = folder.Path() + QStringLiteral("b.bat");
        DbBackup(backup);
        AddGroup(2, QStringLiteral("later"));
        DbExecute(
            QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) values (0,'u','','')"));
        DbAccess->OpenQuery(QStringLiteral("select * from NoteType"));
        TGridStub grid;
        DbAccess->OpenGrid(QStringLiteral("select * from IE"), grid, false);
        QCOMPARE(grid.Source->rowCount(), 1);
        QSignalSpy gridReset(grid.Source, &QAbstractItemModel::modelReset);
        const QByteArray current = Hash(folder.DatabasePath());
        const QByteArray saved = Hash(backup);
        const QString journal = folder.DatabasePath() + QStringLiteral("-journal");
        QVERIFY(QFile::exists(journal));

        dialogs.Answers << true;
        dialogs.FileNames << backup;
        QVERIFY(Guarded(RestoreCommand));
        QCOMPARE(dialogs.Texts(), QStringList(QStringLiteral(
                                      "你确定要恢复数据吗？你做的操作可能会覆盖最新的数据！")));
        QCOMPARE(dialogs.FileFilters, QStringList(QStringLiteral("数据文件 (*.bat)|*.bat")));
        QCOMPARE(Hash(folder.DatabasePath()), Hash(backup));
        QVERIFY(!QFile::exists(journal));
        QCOMPARE(Hash(SafetyCopyPath()), current);
        QCOMPARE(SafetyCopyPath(), folder.Path() + QStringLiteral("tmpData.bat"));
        QVERIFY(LogText(folder, logClock).endsWith(QStringLiteral("：数据恢复！\r\n")));
        // Nothing read from the old file survives, and the reopened connection works.
        QVERIFY(DbAccess->Connected());
        QVERIFY(!DbAccess->QuerySet().Active());
        QVERIFY(!DbAccess->GridSet().Active());
        QCOMPARE(grid.Source->rowCount(), 0);
        QVERIFY(!gridReset.isEmpty());
        QCOMPARE(Groups(), QStringList(QStringLiteral("saved")));
        AddGroup(3, QStringLiteral("new"));
        QCOMPARE(Groups(), QStringList({QStringLiteral("saved"), QStringLiteral("new")}));
        // The backup itself was only read.
        QCOMPARE(Hash(backup), saved);
    }

    void restoreStopped()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        const QStringList before = Files(folder.Path());
        QVERIFY(!RestoreCommand()); // No
        QVERIFY(dialogs.FileFilters.isEmpty());
        dialogs.Answers << true;
        QVERIFY(!RestoreCommand()); // no file chosen
        QCOMPARE(dialogs.FileFilters.size(), 1);
        QCOMPARE(Files(folder.Path()), before);
        QVERIFY(DbAccess->Connected());
    }

    // A file that is not a sound database of this program is refused before anything changes:
    // the database byte for byte, its connection, the safety copy and the log.
    void restoreRefused_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text file") << "text";
        QTest::newRow("missing") << "missing";
        QTest::newRow("a damaged page") << "damaged";
        QTest::newRow("other password") << "password";
        QTest::newRow("a table missing") << "table";
    }

    void restoreRefused()
    {
        QFETCH(QString, kind);
        TTestFolder folder;
        folder.Connect();
        const TFixedLogClock logClock;
        TScriptedDialogs dialogs;
        const QString source = folder.Path() + QStringLiteral("bad.bat");
        DbExecute(QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) "
                                 "values (0,'u','n', hex(randomblob(100000)))"));
        if (kind == QLatin1String("text")) {
            folder.WriteFile(QStringLiteral("bad.bat"), "@echo off\r\necho not a database\r\n");
        } else if (kind == QLatin1String("damaged")) {
            // The first pages, which opening reads, are sound; one further on is not.
            DbBackup(source);
            QByteArray bytes = folder.ReadFile(QStringLiteral("bad.bat"));
            for (qsizetype i = bytes.size() / 2; i < bytes.size() / 2 + 64; ++i)
                bytes[i] = char(~bytes[i]);
            folder.WriteFile(QStringLiteral("bad.bat"), bytes);
        } else if (kind == QLatin1String("password")) {
            WriteForeignDatabase(source);
        } else if (kind == QLatin1String("table")) {
            DbExecute(QStringLiteral("create table Saved as select * from IE@#@drop table IE"));
            DbBackup(source);
            DbExecute(QStringLiteral("create table IE as select * from Saved@#@drop table Saved"));
        }
        AddGroup(1, QStringLiteral("kept"));
        const QByteArray database = Hash(folder.DatabasePath());
        const QStringList before = Files(folder.Path());

        dialogs.Answers << true;
        dialogs.FileNames << source;
        QVERIFY(!Guarded(RestoreCommand));
        QCOMPARE(dialogs.Boxes.size(), 2);
        const QStringList lines = dialogs.Boxes[1].Text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("数据库恢复失败！"));
        QVERIFY2(lines[1].size() > QStringLiteral("详细信息：").size(), qPrintable(lines[1]));

        QCOMPARE(Hash(folder.DatabasePath()), database);
        QCOMPARE(Files(folder.Path()), before);
        QVERIFY(!QFile::exists(SafetyCopyPath()));
        QVERIFY(DbAccess->Connected());
        QCOMPARE(Groups(), QStringList(QStringLiteral("kept")));
        QVERIFY(LogText(folder, logClock).isEmpty());
    }

    // Choosing the safety copy restores it as it is; it is not first overwritten with the
    // database it is to replace.
    void restoreSafetyCopy()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        AddGroup(1, QStringLiteral("before"));
        DbBackup(SafetyCopyPath());
        const QByteArray safety = Hash(SafetyCopyPath());
        AddGroup(2, QStringLiteral("mistake"));

        dialogs.Answers << true;
        dialogs.FileNames << SafetyCopyPath();
        QVERIFY(Guarded(RestoreCommand));
        QCOMPARE(Hash(SafetyCopyPath()), safety);
        QCOMPARE(Hash(folder.DatabasePath()), safety);
        QCOMPARE(Groups(), QStringList(QStringLiteral("before")));
        QCOMPARE(dialogs.Boxes.size(), 1);
    }
};

QTEST_MAIN(TestBackup)
#include "tst_backup.moc"
