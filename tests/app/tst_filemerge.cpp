#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "app/ConflictCopies.h"
#include "app/DataFileMerge.h"
#include "data/DbAccess.h"
#include "data/FileKey.h"
#include "data/Reencrypt.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <optional>

namespace {

// A copy of the folder's data file, under the name given beside it, that holds an address the
// data file does not.
QString CopyWithAddress(const TTestFolder& folder, const QString& name)
{
    TDbAccess& db = folder.Db();
    db.ExecuteBatch(QStringLiteral("insert into IE (TypeID, IEUrl) values (0, 'only.example')"));
    const QString path = folder.Path() + name;
    if (!QFile::copy(folder.DatabasePath(), path))
        qFatal("cannot copy the data file");
    db.ExecuteBatch(QStringLiteral("delete from IE"));
    return path;
}

int Addresses(const TTestFolder& folder)
{
    return folder.Db().QueryInteger(QStringLiteral("select count(*) from IE"));
}

} // namespace

// Other data files merged into this one: the copies sync programs leave, and a file the user
// picks.
class TestFileMerge : public QObject
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

    void conflictCopyOffered_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("offered");
        QTest::newRow("Syncthing") << "bookkeep.sync-conflict-20261208-101010-ABCDEFG.dat" << true;
        QTest::newRow("Nextcloud") << "bookkeep (conflicted copy 2026-12-08 101010).dat" << true;
        QTest::newRow("Dropbox") << "bookkeep (Laptop's conflicted copy 2026-12-08).dat" << true;
        QTest::newRow("a copy of another kind") << "bookkeep (copy).dat" << false;
    }

    // Yes merges the copy and moves it aside into the day's folder.
    void conflictCopyOffered()
    {
        QFETCH(QString, name);
        QFETCH(bool, offered);
        TTestFolder folder;
        folder.Connect();
        const QString copy = CopyWithAddress(folder, name);
        TScriptedDialogs dialogs;
        dialogs.Answers << true;
        TConflictCopies copies(folder.Db(), dialogs);
        QSignalSpy merged(&copies, &TConflictCopies::Merged);
        copies.Look();
        QCOMPARE(dialogs.Boxes.size(), offered ? 2 : 0);
        QCOMPARE(Addresses(folder), offered ? 1 : 0);
        QCOMPARE(merged.size(), offered ? 1 : 0);
        QCOMPARE(QFile::exists(copy), !offered);
        QCOMPARE(QFile::exists(TConflictCopies::KeptFolder(folder.Path(), QDate::currentDate()) +
                               QLatin1Char('/') + name),
                 offered);
    }

    // A copy's computer names the groups that keep its other versions.
    void copySource_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("source");
        QTest::newRow("Syncthing's device") << "bookkeep.sync-conflict-20261208-101010-ABCDEFG.dat"
                                            << "ABCDEFG";
        QTest::newRow("Dropbox's computer")
            << "bookkeep (Anna's Laptop's conflicted copy 2026-12-08).dat"
            << "Anna's Laptop";
        QTest::newRow("no computer named") << "bookkeep (conflicted copy 2026-12-08 101010).dat"
                                           << "bookkeep (conflicted copy 2026-12-08 101010)";
    }

    void copySource()
    {
        QFETCH(QString, name);
        QFETCH(QString, source);
        QCOMPARE(TConflictCopies::SourceOf(name), source);
    }

    // A No is remembered: the same copies are not offered again, and stay where they are.
    void declinedCopiesNotOfferedAgain()
    {
        TTestFolder folder;
        folder.Connect();
        const QString copy =
            CopyWithAddress(folder, QStringLiteral("bookkeep.sync-conflict-1.dat"));
        TScriptedDialogs dialogs;
        TConflictCopies(folder.Db(), dialogs).Look();
        TConflictCopies(folder.Db(), dialogs).Look();
        QCOMPARE(dialogs.Boxes.size(), 1);
        QVERIFY(QFile::exists(copy));
        QCOMPARE(Addresses(folder), 0);
    }

    // A copy that a sync program puts beside the data file while the program runs is offered.
    void copyAppearingIsOffered()
    {
        TTestFolder folder;
        folder.Connect();
        TScriptedDialogs dialogs;
        TConflictCopies copies(folder.Db(), dialogs);
        copies.Start();
        QCOMPARE(dialogs.Boxes.size(), 0);
        CopyWithAddress(folder, QStringLiteral("bookkeep.sync-conflict-2.dat"));
        QTRY_COMPARE(dialogs.Boxes.size(), 1);
    }

    // A file keyed with another password asks for it; Cancel leaves the data as it was.
    void otherPasswordAsked_data()
    {
        QTest::addColumn<std::optional<QString>>("password");
        QTest::newRow("the right one") << std::optional<QString>(QStringLiteral("pw"));
        QTest::newRow("cancelled") << std::optional<QString>();
    }

    void otherPasswordAsked()
    {
        QFETCH(std::optional<QString>, password);
        TTestFolder folder;
        folder.Connect();
        const QString path = CopyWithAddress(folder, QStringLiteral("usb.dat"));
        QCOMPARE(ReencryptCopy(path, TFileKey(),
                               TFileKey::Derive(QStringLiteral("pw"), TFileKey::NewSalt())),
                 QString());
        TScriptedDialogs dialogs;
        dialogs.FileNames << path;
        dialogs.Passwords << password;
        QCOMPARE(MergeDataFileCommand(folder.Db(), dialogs), password.has_value());
        QCOMPARE(dialogs.Prompts.size(), 1);
        QCOMPARE(Addresses(folder), password ? 1 : 0);
        QCOMPARE(dialogs.Boxes.size(), 1); // what came of it
    }
};

QTEST_MAIN(TestFileMerge)
#include "tst_filemerge.moc"
