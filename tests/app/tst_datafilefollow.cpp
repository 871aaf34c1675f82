#include "ScriptedDialogs.h"
#include "TestFolder.h"
#include "Widgets.h"

#include "app/FormMain.h"
#include "app/SyncedFolder.h"
#include "controls/StatusLine.h"
#include "data/DbAccess.h"
#include "data/Sqlite.h"

#include <QDir>
#include <QDirIterator>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QtTest>

#include <cstdio>

#include <sqlcipher/sqlite3.h>

namespace {

// The first field the statement finds in the file now at the data file's name.
QString ReadDataFile(const TTestFolder& folder, const QString& sql)
{
    QString error;
    const TConnection file = DatabaseFile::OpenReadOnly(folder.DatabasePath(), &error);
    const TStatement statement = file ? Prepare(file.get(), sql, &error) : nullptr;
    return statement && sqlite3_step(statement.get()) == SQLITE_ROW
               ? QString::fromUtf8(
                     reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)))
               : error;
}
int CountInDataFile(const TTestFolder& folder, const QString& sql)
{
    return ReadDataFile(folder, sql).toInt();
}

} // namespace

// Another program puts a file in the data file's place, or takes its name, while the window
// runs: nothing typed before or after may be lost.
class TestDataFileFollow : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir FConfig;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(FConfig.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(FConfig.path()));
    }

    // A copy from another computer renamed over the data file: the window goes on with it, and
    // the note saved only in the old file and the typing not saved at all end in it.
    void replacedFileIsTakenWithWhatOnlyTheOldHad()
    {
        TTestFolder folder;
        folder.Connect();
        const QString copy = folder.Path() + QStringLiteral("other.dat");
        folder.Db().BackupTo(copy);
        QString error;
        QVERIFY(DatabaseFile::Execute(DatabaseFile::Open(copy, false, &error).get(),
                                      QStringLiteral("insert into IE(TypeID,IEUrl) "
                                                     "values (0,'new.org')"))
                    .isEmpty());
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        auto* note = Widget<QPlainTextEdit>(&form, "mmoNote");
        QTest::keyClicks(note, QStringLiteral("saved-here"));
        QTRY_COMPARE(CountInDataFile(folder, QStringLiteral("select count(*) from NoteBook "
                                                            "where ReMark='saved-here'")),
                     1);

        QVERIFY(std::rename(qPrintable(copy), qPrintable(folder.DatabasePath())) == 0);
        QTest::keyClicks(note, QStringLiteral("+typed"));
        QTRY_COMPARE(
            Widget<TStatusLine>(&form, "StatusLine")->text(),
            QStringLiteral("数据文件已被其他程序替换，本机尚未同步的内容已合并进新文件。"));
        QCOMPARE(folder.Db().FileAtPath(), TDbAccess::TFileAtPath::Same);
        QCOMPARE(CountInDataFile(folder, QStringLiteral("select count(*) from IE "
                                                        "where IEUrl='new.org'")),
                 1);
        QCOMPARE(CountInDataFile(folder, QStringLiteral("select count(*) from NoteBook "
                                                        "where ReMark='saved-here+typed'")),
                 1);
        QVERIFY(dialogs.Boxes.isEmpty());
    }

    // Replaced while the program is locked: what the locked file had is merged at the unlock.
    void replacedDuringALockIsMergedAtTheUnlock()
    {
        TTestFolder folder;
        folder.Connect().ExecuteBatch(
            QStringLiteral("update SysSet set bPass='-1',[PassWord]='pw'"));
        const QString copy = folder.Path() + QStringLiteral("other.dat");
        folder.Db().BackupTo(copy);
        TScriptedDialogs dialogs;
        dialogs.Passwords << QStringLiteral("pw") << QStringLiteral("pw");
        TFormMain form(folder.Db(), dialogs);
        QVERIFY(form.FormShow());
        form.show();
        form.FinishLoading();
        QTest::keyClicks(Widget<QPlainTextEdit>(&form, "mmoNote"), QStringLiteral("locked-away"));
        form.LockClick();
        QVERIFY(std::rename(qPrintable(copy), qPrintable(folder.DatabasePath())) == 0);
        form.BringWindowBack();
        QVERIFY(!form.Locked());
        QCOMPARE(folder.Db().FileAtPath(), TDbAccess::TFileAtPath::Same);
        QCOMPARE(CountInDataFile(folder, QStringLiteral("select count(*) from NoteBook "
                                                        "where ReMark='locked-away'")),
                 1);
    }

    // A file that is no Velmora file in its place, or none at all: the old data gets its name
    // back with the typing, and what was put there is kept.
    void unusableOrMissingFileGetsTheOldBack_data()
    {
        QTest::addColumn<QByteArray>("replacement"); // empty: the name is taken away
        QTest::addColumn<int>("boxes");
        QTest::newRow("foreign") << QByteArray("not a database\n") << 1;
        QTest::newRow("removed") << QByteArray() << 0;
    }
    void unusableOrMissingFileGetsTheOldBack()
    {
        QFETCH(QByteArray, replacement);
        QFETCH(int, boxes);
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TFormMain form(folder.Db(), dialogs);
        form.show();
        QVERIFY(form.FormShow());
        form.FinishLoading();
        auto* note = Widget<QPlainTextEdit>(&form, "mmoNote");
        QTest::keyClicks(note, QStringLiteral("before"));
        if (replacement.isEmpty()) {
            QVERIFY(QFile::remove(folder.DatabasePath()));
        } else {
            folder.WriteFile(QStringLiteral("foreign"), replacement);
            QVERIFY(std::rename(qPrintable(folder.Path() + QStringLiteral("foreign")),
                                qPrintable(folder.DatabasePath())) == 0);
        }
        QTest::keyClicks(note, QStringLiteral("+after"));
        QTRY_COMPARE(folder.Db().FileAtPath(), TDbAccess::TFileAtPath::Same);
        QCOMPARE(dialogs.Boxes.size(), boxes);
        QVERIFY(note->toPlainText().contains(QStringLiteral("before+after")));
        // What is typed after goes on into the file at the name.
        QTest::keyClicks(note, QStringLiteral("+later"));
        QTRY_COMPARE(ReadDataFile(folder, QStringLiteral("select ReMark from NoteBook")),
                     note->toPlainText());
        bool kept = replacement.isEmpty();
        for (QDirIterator it(folder.Path() + QStringLiteral("同步冲突副本"), QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();) {
            QFile file(it.next());
            kept = kept || (file.open(QIODevice::ReadOnly) && file.readAll() == replacement);
        }
        QVERIFY(kept);
    }

    // The start says it of a data folder once.
    void syncedDataFolderIsSaidOnce()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral(".stfolder")));
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("Velmora")));
        TScriptedDialogs dialogs;
        WarnOfSyncedDataFolder(dialogs, root.filePath(QStringLiteral("Velmora")));
        WarnOfSyncedDataFolder(dialogs, root.filePath(QStringLiteral("Velmora")));
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(dialogs.Boxes[0].Text.contains(QDir::toNativeSeparators(root.path())));
    }

    void syncProgramMarks_data()
    {
        QTest::addColumn<QString>("mark"); // in the folder two levels above the data folder
        QTest::addColumn<bool>("isDirectory");
        QTest::addColumn<QString>("program");
        QTest::newRow("syncthing")
            << QStringLiteral(".stfolder") << true << QStringLiteral("Syncthing");
        QTest::newRow("dropbox") << QStringLiteral(".dropbox") << false
                                 << QStringLiteral("Dropbox");
        QTest::newRow("nextcloud")
            << QStringLiteral("._sync_4f2a.db") << false << QStringLiteral("Nextcloud");
        QTest::newRow("none") << QStringLiteral("stfolder") << true << QString();
    }
    void syncProgramMarks()
    {
        QFETCH(QString, mark);
        QFETCH(bool, isDirectory);
        QFETCH(QString, program);
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath(QStringLiteral("a/Velmora")));
        const QString marked = root.filePath(mark);
        QVERIFY(isDirectory ? QDir().mkdir(marked) : QFile(marked).open(QIODevice::WriteOnly));
        const TSyncedFolder synced = SyncedFolderOf(root.filePath(QStringLiteral("a/Velmora")));
        QCOMPARE(synced.Program, program);
        QCOMPARE(synced.Root,
                 program.isEmpty() ? QString() : QDir::toNativeSeparators(root.path()));
    }
};

QTEST_MAIN(TestDataFileFollow)
#include "tst_datafilefollow.moc"
