#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Unprivileged.h"

#include "common/DailyLog.h"
#include "common/Errors.h"
#include "data/DataFileCheck.h"
#include "data/DbAccess.h"
#include "data/Schema.h"
#include "data/Sqlite.h"

#include <QCryptographicHash>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <chrono>
#include <thread>

#include <sys/stat.h>

namespace {

QStringList Column(TDbAccess& db, const QString& sql, const QString& field)
{
    db.OpenQuery(sql);
    QStringList values;
    for (TResultSet& set = db.QuerySet(); !set.Eof(); set.Next())
        values << set.AsString(field);
    return values;
}

int SideTablesOf(TDbAccess& db)
{
    return db.QueryInteger(QStringLiteral("select count(*) from sqlite_master where type='table' "
                                          "and name in ('") +
                           DatabaseSchema::SideTables().join(QStringLiteral("','")) +
                           QStringLiteral("')"));
}

// Makes the file at path one that a program without the side tables wrote, holding a note.
void MakeOlderFile(const QString& path)
{
    QString error;
    const TConnection connection = DatabaseFile::Open(path, false, &error);
    QVERIFY2(connection, qPrintable(error));
    QString statements =
        QStringLiteral("PRAGMA user_version = 0;"
                       "insert into NoteBook (TypeID, ReMark) values (7, 'kept');");
    for (const QString& table : DatabaseSchema::SideTables())
        statements += QStringLiteral("drop table ") + table + QLatin1Char(';');
    QCOMPARE(DatabaseFile::Execute(connection.get(), statements), QString());
}

QByteArray Hash(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

} // namespace

class TestDbAccess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deliveredDatabase()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        // Encrypted: the plain engine's header is not there.
        QVERIFY(!folder.ReadFile(QStringLiteral("bookkeep.dat")).startsWith("SQLite format 3"));

        TScriptedDialogs dialogs;
        TDbAccess db;
        db.Connect(dialogs);
        QVERIFY(db.Connected());
        QCOMPARE(
            Column(db,
                   QStringLiteral("select name from sqlite_master where type='table' and name "
                                  "not in ('") +
                       DatabaseSchema::SideTables().join(QStringLiteral("','")) +
                       QStringLiteral("') order by name"),
                   QStringLiteral("name")),
            QStringList({QStringLiteral("IE"), QStringLiteral("IEType"), QStringLiteral("NoteBook"),
                         QStringLiteral("NoteType"), QStringLiteral("SysSet")}));
        QCOMPARE(db.QueryInteger(QStringLiteral("PRAGMA user_version")),
                 DatabaseSchema::CurrentVersion);
        db.OpenQuery(QStringLiteral("select * from SysSet"));
        QCOMPARE(db.QuerySet().RecordCount(), 1);
        QCOMPARE(db.QuerySet().AsBoolean(QStringLiteral("bPass")), false);
        QCOMPARE(db.QuerySet().AsString(QStringLiteral("PassWord")), QString());
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // A save is on the disk when it returns, and after it the whole database is in its one file:
    // full syncs and a rollback journal, never a write-ahead log.
    void connectionSyncsFullyWithARollbackJournal()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.OpenQuery(QStringLiteral("PRAGMA synchronous"));
        QCOMPARE(db.QuerySet().AsInteger(0), 2);
        db.OpenQuery(QStringLiteral("PRAGMA journal_mode"));
        const QString journal = db.QuerySet().AsString(0);
        QVERIFY2(QStringList({QStringLiteral("delete"), QStringLiteral("truncate"),
                              QStringLiteral("persist")})
                     .contains(journal),
                 qPrintable(journal));
    }

    // Each bad file gives one connection box with the engine's message, no log, the file
    // untouched, and a closed connection.
    void connectFailures_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("missing") << "missing";
        QTest::newRow("empty") << "empty";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("random") << "random";
        QTest::newRow("plain sqlite") << "plain";
        QTest::newRow("other password") << "password";
    }

    void connectFailures()
    {
        QFETCH(QString, kind);
        TTestFolder folder;
        const QString path = folder.DatabasePath();
        if (kind == QLatin1String("empty")) {
            folder.WriteFile(QStringLiteral("bookkeep.dat"), QByteArray());
        } else if (kind == QLatin1String("truncated")) {
            // A database with enough rows to span many pages, cut in half.
            {
                TScriptedDialogs quiet;
                TDbAccess& db = folder.Connect();
                db.ExecuteBatch(QStringLiteral("insert into IE(TypeID,IEUrl,IEName,ReMark) "
                                               "values (0,'u','n', hex(randomblob(200000)))"));
            }
            QByteArray bytes = folder.ReadFile(QStringLiteral("bookkeep.dat"));
            folder.WriteFile(QStringLiteral("bookkeep.dat"), bytes.left(bytes.size() / 2));
        } else if (kind == QLatin1String("random")) {
            QByteArray bytes(8192, Qt::Uninitialized);
            for (char& c : bytes)
                c = char(QRandomGenerator::global()->generate());
            folder.WriteFile(QStringLiteral("bookkeep.dat"), bytes);
        } else if (kind == QLatin1String("plain") || kind == QLatin1String("password")) {
            sqlite3* raw = nullptr;
            QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
            if (kind == QLatin1String("password"))
                sqlite3_exec(raw, "PRAGMA key='another'", nullptr, nullptr, nullptr);
            QCOMPARE(sqlite3_exec(raw,
                                  "create table IEType(a);create table NoteType(a);"
                                  "create table IE(a);create table NoteBook(a);"
                                  "create table SysSet(a);",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
            sqlite3_close(raw);
        }
        const QByteArray before = Hash(path);

        TScriptedDialogs dialogs;
        TDbAccess db;
        db.Connect(dialogs);
        QVERIFY(!db.Connected());
        QCOMPARE(dialogs.Boxes.size(), 1);
        const QStringList lines = dialogs.Boxes[0].Text.split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines[0], QStringLiteral("数据库连接失败！"));
        QVERIFY(lines[1].startsWith(QStringLiteral("详细信息：")));
        QVERIFY(lines[1].contains(QDir::toNativeSeparators(path)));
        QCOMPARE(Hash(path), before);
        QCOMPARE(QFile::exists(path), kind != QLatin1String("missing"));
        QVERIFY(QDir(folder.Path()).entryList({QStringLiteral("*.log")}).isEmpty());
    }

    void batchIsAtomicAndReportsWholeText()
    {
        TTestFolder folder;
        TScriptedDialogs dialogs;
        TDbAccess& db = folder.Connect();
        const QString batch = QStringLiteral(
            "insert into NoteType(SelfIndex,ParentIndex,TypeName) values (1,0,'A')@#@"
            "update NoSuchTable set x=1");
        try {
            db.ExecuteBatch(batch);
            QFAIL("the batch should fail");
        } catch (const EDBException& error) {
            QCOMPARE(error.Hint(), QStringLiteral("数据库操作失败！"));
            QCOMPARE(error.Sql(), batch);
            QVERIFY(error.Message().contains(QStringLiteral("NoSuchTable")));
        }
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteType")), 0);
        // The connection is usable afterwards, with no transaction left open.
        db.ExecuteBatch(QStringLiteral(
            "insert into NoteType(SelfIndex,ParentIndex,TypeName) values (1,0,'A')"));
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteType")), 1);
    }

    // Another program reading the file (a backup tool) only delays a write.
    void writeWaitsForAReader()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        QString error;
        const TConnection reader = DatabaseFile::Open(folder.DatabasePath(), false, &error);
        QVERIFY2(reader, qPrintable(error));
        QVERIFY(
            DatabaseFile::Execute(reader.get(), QStringLiteral("begin; select count(*) from IE"))
                .isEmpty());
        std::thread done([&reader] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            DatabaseFile::Execute(reader.get(), QStringLiteral("commit"));
        });
        db.ExecuteBatch(QStringLiteral(
            "insert into NoteType(SelfIndex,ParentIndex,TypeName) values (1,0,'A')"));
        done.join();
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteType")), 1);
    }

    // A file without the side tables gets them, whole, wherever the program opens it: at start
    // and when it is restored; nothing it held changes.
    void olderFileUpgradedAtOpen_data()
    {
        QTest::addColumn<bool>("restored");
        QTest::newRow("at start") << false;
        QTest::newRow("restored") << true;
    }

    void olderFileUpgradedAtOpen()
    {
        QFETCH(bool, restored);
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        const QString older =
            restored ? folder.Path() + QStringLiteral("older.dat") : folder.DatabasePath();
        if (restored)
            db.BackupTo(older);
        else
            db.Disconnect();
        MakeOlderFile(older);
        if (restored) {
            db.RestoreFrom(older);
        } else {
            QString error;
            QVERIFY2(db.Open(TFileKey(), &error), qPrintable(error));
        }
        QCOMPARE(db.QueryInteger(QStringLiteral("PRAGMA user_version")),
                 DatabaseSchema::CurrentVersion);
        QCOMPARE(SideTablesOf(db), DatabaseSchema::SideTables().size());
        QCOMPARE(
            Column(db, QStringLiteral("select ReMark from NoteBook"), QStringLiteral("ReMark")),
            QStringList(QStringLiteral("kept")));
    }

    // An upgrade that fails half way leaves the file as it was, to be tried at the next open.
    void failedUpgradeChangesNothing()
    {
        TTestFolder folder;
        folder.InstallDatabase();
        MakeOlderFile(folder.DatabasePath());
        QString error;
        TConnection connection = DatabaseFile::Open(folder.DatabasePath(), false, &error);
        const QString last = DatabaseSchema::SideTables().constLast();
        QCOMPARE(DatabaseFile::Execute(connection.get(),
                                       QStringLiteral("create table %1 (x)").arg(last)),
                 QString());
        QVERIFY(!DatabaseSchema::Upgrade(connection.get()).isEmpty());
        QCOMPARE(DatabaseSchema::VersionOf(connection.get()), 0);
        QCOMPARE(DatabaseFile::Execute(connection.get(), QStringLiteral("drop table %1").arg(last)),
                 QString());
        QCOMPARE(DatabaseSchema::Upgrade(connection.get()), QString());
        QCOMPARE(DatabaseSchema::Difference(connection.get()), QString());
    }

    // A cursor reads on across a committed write; a restore, which closes the connection, ends it.
    void cursorSpansWritesUntilTheConnectionCloses()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into NoteType(SelfIndex,ParentIndex,TypeName) "
                                       "values (1,0,'A'),(2,0,'B'),(3,0,'C')"));
        const std::unique_ptr<TQueryCursor> cursor =
            db.OpenCursor(QStringLiteral("select SelfIndex from NoteType order by SelfIndex"));
        QVERIFY(cursor->Next());
        db.ExecuteBatch(QStringLiteral("insert into NoteBook(TypeID,ReMark) values (1,'x')"));
        QVERIFY(cursor->Next());
        QCOMPARE(cursor->Value(0).toInt(), 2);

        const QString copy = folder.Path() + QStringLiteral("copy.dat");
        db.BackupTo(copy);
        db.RestoreFrom(copy);
        QVERIFY_THROWS_EXCEPTION(EDBException, cursor->Next());
    }

    // What start-up finds unwritable, named: the folder, the file, a journal left by another.
    void dataFileThatCannotBeWritten_data()
    {
        QTest::addColumn<int>("folderMode");
        QTest::addColumn<int>("fileMode");
        QTest::addColumn<int>("journalMode"); // 0: no journal
        QTest::addColumn<QString>("named");
        QTest::newRow("read-only folder") << 0555 << 0644 << 0 << QStringLiteral("是只读的");
        QTest::newRow("read-only file") << 0777 << 0444 << 0 << QStringLiteral("bookkeep.dat”");
        QTest::newRow("foreign journal")
            << 0777 << 0666 << 0444 << QStringLiteral("bookkeep.dat-journal”");
        QTest::newRow("all writable") << 0777 << 0666 << 0666 << QString();
    }

    void dataFileThatCannotBeWritten()
    {
        QFETCH(int, folderMode);
        QFETCH(int, fileMode);
        QFETCH(int, journalMode);
        QFETCH(QString, named);
        TTestFolder folder;
        folder.InstallDatabase();
        const QString journal = folder.DatabasePath() + QStringLiteral("-journal");
        if (journalMode != 0) {
            folder.WriteFile(QStringLiteral("bookkeep.dat-journal"), QByteArray());
            ::chmod(QFile::encodeName(journal).constData(), mode_t(journalMode));
        }
        ::chmod(QFile::encodeName(folder.DatabasePath()).constData(), mode_t(fileMode));
        ::chmod(QFile::encodeName(folder.Path()).constData(), mode_t(folderMode));
        const QString database = folder.DatabasePath();
        const bool found = RunUnprivileged([&] {
            const QString problem = DataFileCheck::WriteProblem(database);
            return named.isEmpty() ? problem.isEmpty() : problem.contains(named);
        });
        ::chmod(QFile::encodeName(folder.Path()).constData(), 0700);
        QVERIFY(found);
    }

    void batchOfBlanksRunsNothing()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral(" @#@\r\n\t@#@@#@"));
        db.ExecuteBatch(QString());
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteType")), 0);
    }

    void piecesRunUntrimmed()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        // The blanks inside the piece's literal reach the table: the piece is not trimmed.
        db.ExecuteBatch(QStringLiteral(
            "  insert into NoteType(SelfIndex,ParentIndex,TypeName) values (1,0,'x\n  \n')  "
            "@#@\n insert into NoteType(SelfIndex,ParentIndex,TypeName) values (2,0,' ')"));
        QCOMPARE(Column(db, QStringLiteral("select * from NoteType order by SelfIndex"),
                        QStringLiteral("TypeName")),
                 QStringList({QStringLiteral("x\n  \n"), QStringLiteral(" ")}));
    }

    void splitting()
    {
        const QString d = QStringLiteral("@#@");
        QCOMPARE(SplitByDelimiter(QStringLiteral("a@#@b"), d),
                 QStringList({QStringLiteral("a"), QStringLiteral("b")}));
        QCOMPARE(SplitByDelimiter(QStringLiteral("a@#@"), d),
                 QStringList({QStringLiteral("a"), QString()}));
        QCOMPARE(SplitByDelimiter(QString(), d), QStringList(QString()));
        QCOMPARE(SplitByDelimiter(QStringLiteral("@#@#@"), d),
                 QStringList({QString(), QStringLiteral("#@")}));
        QCOMPARE(SplitByDelimiter(QStringLiteral("a@#Ab"), d),
                 QStringList(QStringLiteral("a@#Ab")));
    }

    void queryInteger()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into NoteBook(TypeID,ReMark) values (4,'x')@#@"
                                       "insert into NoteBook(TypeID,ReMark) values (4,'y')"));
        QCOMPARE(
            db.QueryInteger(QStringLiteral("select count(TypeID) from NoteBook where TypeID= 4 ")),
            2);
        QCOMPARE(db.QueryInteger(QStringLiteral("select TypeID from NoteBook where 1<>1")), 0);
        QCOMPARE(db.QueryInteger(QStringLiteral("select null")), 0);
        QCOMPARE(db.QueryInteger(QStringLiteral("select 2.6")), 3);
        for (const QString& sql :
             {QStringLiteral("select ReMark from NoteBook"),
              QStringLiteral("select * from Missing"), QStringLiteral("select 1e300"),
              QStringLiteral("select 2147483648")}) {
            try {
                db.QueryInteger(sql);
                QFAIL("not a number");
            } catch (const EDBException& error) {
                QCOMPARE(error.Hint(), QStringLiteral("数据库查询错误，请检查！"));
                QCOMPARE(error.Sql(), sql);
            }
        }
    }

    void openQueryFailureCarriesStatement()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        const QString sql = QStringLiteral("select * from Nowhere");
        try {
            db.OpenQuery(sql);
            QFAIL("should fail");
        } catch (const EDBException& error) {
            QCOMPARE(error.Hint(), QStringLiteral("数据库查询错误，请检查！"));
            QCOMPARE(error.Sql(), sql);
            QVERIFY(error.Message().contains(QStringLiteral("Nowhere")));
        }
    }

    void nullAndMissingRowsReadEmpty()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into IE(TypeID) values (null)"));
        db.OpenQuery(QStringLiteral("select * from IE"));
        TResultSet& set = db.QuerySet();
        QCOMPARE(set.AsInteger(QStringLiteral("typeid")), 0); // names ignore letter case
        QCOMPARE(set.AsString(QStringLiteral("IEUrl")), QString());
        QCOMPARE(set.AsBoolean(QStringLiteral("ReMark")), false);
        set.Next();
        QVERIFY(set.Eof());
        QCOMPARE(set.AsInteger(QStringLiteral("ID")), 0);
        QCOMPARE(set.AsString(0), QString());

        db.OpenQuery(QStringLiteral("select * from NoteBook where 1<> 1 "));
        QVERIFY(set.Eof());
        QCOMPARE(set.FieldNames(),
                 QStringList({QStringLiteral("TypeID"), QStringLiteral("ReMark")}));
        QVERIFY_THROWS_EXCEPTION(ECardError, set.AsString(QStringLiteral("NoSuchField")));
    }

    void textThatIsNotANumberIsAnError()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("insert into NoteBook(TypeID,ReMark) values ('abc','12')"));
        db.OpenQuery(QStringLiteral("select * from NoteBook"));
        QVERIFY_THROWS_EXCEPTION(ECardError, db.QuerySet().AsInteger(QStringLiteral("TypeID")));
        QCOMPARE(db.QuerySet().AsInteger(QStringLiteral("ReMark")), 12);
    }

    void booleansWrittenAsQuotedTexts()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.ExecuteBatch(QStringLiteral("update SysSet set bPass='-1',[PassWord]='p' "));
        db.OpenQuery(QStringLiteral("select * from SysSet"));
        QCOMPARE(db.QuerySet().AsBoolean(QStringLiteral("bPass")), true);
        QCOMPARE(db.QuerySet().AsInteger(QStringLiteral("bPass")), -1);
        db.ExecuteBatch(QStringLiteral("update SysSet set bPass='0',[PassWord]='p' "));
        db.OpenQuery(QStringLiteral("select * from SysSet"));
        QCOMPARE(db.QuerySet().AsBoolean(QStringLiteral("bPass")), false);
    }

    void editAndAppendThroughQuerySet()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        const QString note = QStringLiteral("第一行\r\n'quoted' @#@ \\ 😀");

        db.OpenQuery(QStringLiteral("select * from NoteBook where 1<> 1 "));
        TResultSet& set = db.QuerySet();
        set.Append();
        set.SetInteger(QStringLiteral("TypeID"), 5);
        set.SetString(QStringLiteral("ReMark"), note);
        set.Post();
        QCOMPARE(set.AsString(QStringLiteral("ReMark")), note);

        db.OpenQuery(QStringLiteral("select * from NoteBook where TypeID=5 "));
        QCOMPARE(set.RecordCount(), 1);
        QCOMPARE(set.AsString(QStringLiteral("ReMark")), note);

        // Two rows with the same key: only the first is changed.
        db.ExecuteBatch(QStringLiteral("insert into NoteBook(TypeID,ReMark) values (5,'second')"));
        db.OpenQuery(QStringLiteral("select * from NoteBook where TypeId=5"));
        set.Edit();
        set.SetString(QStringLiteral("ReMark"), QStringLiteral("changed"));
        set.Post();
        QCOMPARE(Column(db, QStringLiteral("select * from NoteBook order by rowid"),
                        QStringLiteral("ReMark")),
                 QStringList({QStringLiteral("changed"), QStringLiteral("second")}));

        // Aliased fields edit the column behind them.
        db.OpenQuery(QStringLiteral("select TypeID as 键, ReMark as 内容 from NoteBook where "
                                    "ReMark='second'"));
        set.Edit();
        set.SetString(QStringLiteral("内容"), QStringLiteral("third"));
        set.Post();
        QCOMPARE(db.QueryInteger(QStringLiteral("select count(*) from NoteBook where "
                                                "ReMark='third'")),
                 1);
    }

    // Long texts are kept undecoded until read; they read back exactly, and a row edited
    // without touching them keeps them.
    void longTextsReadBackExactly()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        QString note;
        for (int i = 0; note.toUtf8().size() < 50000; ++i)
            note += QStringLiteral("第%1行 line 😀\r\n").arg(i);
        db.OpenQuery(QStringLiteral("select * from NoteBook where 1<> 1 "));
        TResultSet& set = db.QuerySet();
        set.Append();
        set.SetInteger(QStringLiteral("TypeID"), 1);
        set.SetString(QStringLiteral("ReMark"), note);
        set.Post();

        db.OpenQuery(QStringLiteral("select * from NoteBook where TypeID=1 "));
        QCOMPARE(set.AsString(QStringLiteral("ReMark")), note);
        QCOMPARE(set.Value(0, set.FindField(QStringLiteral("ReMark"))).toString(), note);
        set.Edit();
        set.SetInteger(QStringLiteral("TypeID"), 2);
        set.Post();
        db.OpenQuery(QStringLiteral("select * from NoteBook where TypeID=2 "));
        QCOMPARE(set.AsString(QStringLiteral("ReMark")), note);
    }

    void aggregatesAreNotEditable()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.OpenQuery(QStringLiteral("select count(TypeID) from NoteBook"));
        QVERIFY(!db.QuerySet().CanModify());
        QVERIFY_THROWS_EXCEPTION(ECardError, db.QuerySet().Edit());
    }

    void failedPostIsAPlainError()
    {
        TTestFolder folder;
        TDbAccess& db = folder.Connect();
        db.OpenQuery(QStringLiteral("select * from IE where 1<>1"));
        TResultSet& set = db.QuerySet();
        db.ExecuteBatch(QStringLiteral("insert into IE(ID,TypeID,IEUrl) values (7,0,'u')"));
        set.Append();
        set.SetInteger(QStringLiteral("ID"), 7); // the key is taken
        try {
            set.Post();
            QFAIL("the post should fail");
        } catch (const EDBException&) {
            QFAIL("a failed post is not a query error");
        } catch (const ECardError& error) {
            QVERIFY(error.Message().contains(QStringLiteral("UNIQUE"), Qt::CaseInsensitive));
        }
    }
};

QTEST_MAIN(TestDbAccess)
#include "tst_dbaccess.moc"
