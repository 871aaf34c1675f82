#include "TestFolder.h"

#include "data/FileKey.h"
#include "data/Sqlite.h"
#include "sync/ChangeScan.h"
#include "sync/ImportMerge.h"
#include "sync/PeerMerge.h"
#include "sync/RowStore.h"
#include "sync/SyncFolder.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace RowStore;

namespace {

constexpr qint64 Now = 1'800'000'000'000;

void Run(sqlite3* connection, const QString& statements)
{
    const QString error = DatabaseFile::Execute(connection, statements);
    if (!error.isEmpty())
        qFatal("%s: %s", qPrintable(statements), qPrintable(error));
}

// A copy of the delivered database in the folder, open.
TConnection Copy(const TTestFolder& folder, const QString& name, const QString& statements = {})
{
    const QString path = folder.Path() + name;
    QFile::copy(TTestFolder::DeliveredDatabase(), path);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    QString error;
    TConnection connection = DatabaseFile::Open(path, false, &error);
    if (!connection)
        qFatal("%s", qPrintable(error));
    Run(connection.get(), QStringLiteral("PRAGMA synchronous=OFF;") + statements);
    return connection;
}

const QString Sample = QStringLiteral(
    "insert into NoteType values (1, 0, 'Work'), (2, 1, 'Plans'), (3, 0, 'Home'), (4, 0, 'Home');"
    "insert into NoteBook values (2, 'one'||char(10)||'two'||char(10)||'three'), (3, 'shopping');"
    "insert into IEType values (1, 0, 'News');"
    "insert into IE (TypeID, IEUrl, IEName, ReMark) values (1, 'a.example', 'A', ''), "
    "(1, 'a.example', 'A', ''), (1, 'b.example', 'B', 'r');");

// The first column of a statement's rows, joined by "|".
QString Rows(sqlite3* connection, const QString& sql)
{
    QString error;
    const TStatement statement = Prepare(connection, sql, &error);
    QStringList rows;
    while (statement && sqlite3_step(statement.get()) == SQLITE_ROW)
        rows << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement.get(), 0)));
    return error.isEmpty() ? rows.join(QLatin1Char('|')) : error;
}

// Runs statements on the file at path as another program would: through a connection that
// records nothing of what it writes.
void RunUnwatched(const QString& path, const QString& statements)
{
    QString error;
    const TConnection connection = DatabaseFile::Create(path, &error);
    Run(connection.get(), statements);
}

// Everything a file holds for syncing, as the same text in copies that agree.
QStringList Content(sqlite3* connection)
{
    QStringList content;
    for (const auto& [table, rows] : RowStore::Read(connection))
        for (const TRow& row : rows.Rows)
            content << table + row.Id + RowStore::Encode(row.Fields);
    content.sort();
    return content;
}

PeerMerge::TSetup Setup(const QString& device, qint64 now, bool confirm = true)
{
    return {device, device + QStringLiteral("-name"), QStringLiteral("peer-name"), now,
            [confirm](int, int) {
                return confirm;
            }};
}

} // namespace

class TestSync : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // Conflict copies are named by the local date.
        qputenv("TZ", "UTC");
        tzset();
    }

    // A row's hash from the engine's bytes is the one its texts give: else a row written by a
    // merge would read as changed at every scan after.
    void hashOfBytesIsHashOfTexts_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("plain") << QByteArray("plain");
        QTest::newRow("Chinese") << QByteArray("\xe5\x88\x86\xe7\xbb\x84");
        QTest::newRow("byte order mark first") << QByteArray("\xef\xbb\xbf"
                                                             "a");
        QTest::newRow("not UTF-8") << QByteArray("a\xff\xc0\x80");
        QTest::newRow("a surrogate") << QByteArray("\xed\xa0\x80");
    }

    void hashOfBytesIsHashOfTexts()
    {
        QFETCH(QByteArray, bytes);
        const THashHex hex = HashOfUtf8("IE", {"", bytes});
        QCOMPARE(QString::fromLatin1(hex.data(), qsizetype(hex.size())),
                 HashOf(QStringLiteral("IE"), {QString(), QString::fromUtf8(bytes)}));
    }

    // A version is taken for its text only when the text reads as that very version: a peer's
    // row taken for one held alike would not be merged.
    void versionIsItsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("same");
        QTest::newRow("the same") << QStringLiteral("a=1;b=2") << true;
        QTest::newRow("one more device") << QStringLiteral("a=1;b=2;c=1") << false;
        QTest::newRow("one device less") << QStringLiteral("a=1") << false;
        QTest::newRow("another count") << QStringLiteral("a=1;b=3") << false;
        QTest::newRow("a device twice") << QStringLiteral("a=1;b=2;b=3") << false;
    }

    void versionIsItsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, same);
        const TVersionVector version = TVersionVector::Parse(QStringLiteral("a=1;b=2"));
        QCOMPARE(version.Is(text), same);
        QCOMPARE(TVersionVector::Parse(text) == version, same);
    }

    // Two copies of one file, sync turned on in each without their having talked, give every row
    // the same id; a row one of them changed before is the only one whose versions disagree.
    void copiesOfOneFileMatch()
    {
        TTestFolder folder;
        const TConnection one = Copy(folder, QStringLiteral("one.dat"), Sample);
        const TConnection two = Copy(folder, QStringLiteral("two.dat"), Sample);
        Run(two.get(), QStringLiteral("update NoteBook set ReMark='line two' where TypeID=2"));
        ChangeScan::Run(one.get(), QStringLiteral("d1"), Now);
        ChangeScan::Run(two.get(), QStringLiteral("d2"), Now);
        const TSnapshot first = RowStore::Read(one.get());
        const TSnapshot second = RowStore::Read(two.get());
        int rows = 0;
        for (const auto& [table, rowsOfOne] : first) {
            QCOMPARE(second.at(table).Rows.size(), rowsOfOne.Rows.size());
            for (const TRow& row : rowsOfOne.Rows) {
                const TRow* other = second.at(table).Find(row.Id);
                QVERIFY2(other, qPrintable(table + row.Fields.join(QLatin1Char('|'))));
                QCOMPARE(row.Versions == other->Versions, row.Fields == other->Fields);
                ++rows;
            }
        }
        QCOMPARE(rows, 10);
    }

    // What changed since the last look is found by the rows' content, whoever wrote it: the
    // scanning connection, another of the program's connections, another program, or the
    // scanning connection before a scan that rolled back.
    void changesFound_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<int>("added");
        QTest::addColumn<int>("changed");
        QTest::addColumn<int>("deleted");
        QTest::addColumn<QString>("writer");
        QTest::newRow("nothing") << QString() << 0 << 0 << 0 << QString();
        QTest::newRow("a note typed through another connection")
            << "update NoteBook set ReMark='x' where TypeID=3" << 0 << 1 << 0 << "program";
        QTest::newRow("a note typed by another program")
            << "update NoteBook set ReMark='x' where TypeID=3" << 0 << 1 << 0 << "foreign";
        QTest::newRow("an address added before a scan that rolled back")
            << "insert into IE (TypeID, IEUrl) values (1, 'c.example')" << 1 << 0 << 0
            << "rolled back";
        QTest::newRow("a group made where an address already was")
            << "insert into IEType values (7, 0, 'Later')" << 1 << 1 << 0 << "orphan";
        QTest::newRow("a note typed")
            << "update NoteBook set ReMark='x' where TypeID=3" << 0 << 1 << 0 << QString();
        QTest::newRow("a group moved")
            << "update NoteType set ParentIndex=3 where SelfIndex=1" << 0 << 1 << 0 << QString();
        QTest::newRow("a parent renamed: its child is not changed")
            << "update NoteType set TypeName='Job' where SelfIndex=1" << 0 << 1 << 0 << QString();
        QTest::newRow("an address added")
            << "insert into IE (TypeID, IEUrl) values (1, 'c.example')" << 1 << 0 << 0 << QString();
        QTest::newRow("a group deleted with its note")
            << "delete from NoteType where SelfIndex=2; delete from NoteBook where TypeID=2" << 0
            << 0 << 2 << QString();
        QTest::newRow("an address moved to another group")
            << "insert into IEType values (2, 0, 'Old'); update IE set TypeID=2 where ID=3" << 1
            << 1 << 0 << QString();
    }

    void changesFound()
    {
        QFETCH(QString, change);
        QFETCH(int, added);
        QFETCH(int, changed);
        QFETCH(int, deleted);
        QFETCH(QString, writer);
        TTestFolder folder;
        const TConnection db = Copy(folder, QStringLiteral("one.dat"), Sample);
        const QString path = folder.Path() + QStringLiteral("one.dat");
        if (writer == QLatin1String("orphan"))
            RunUnwatched(path, QStringLiteral("insert into IE (TypeID, IEUrl) values (7, 'o')"));
        ChangeScan::Run(db.get(), QStringLiteral("d1"), Now);
        const TSnapshot before = RowStore::Read(db.get());
        if (writer == QLatin1String("program")) {
            QString error;
            const TConnection other = DatabaseFile::Open(path, false, &error);
            Run(other.get(), change);
        } else if (writer == QLatin1String("foreign")) {
            RunUnwatched(path, change);
        } else {
            Run(db.get(), change);
        }
        if (writer == QLatin1String("rolled back")) {
            Run(db.get(), QStringLiteral("begin immediate"));
            ChangeScan::Run(db.get(), QStringLiteral("d1"), Now + 1);
            Run(db.get(), QStringLiteral("rollback"));
        }
        const ChangeScan::TCounts counts = ChangeScan::Run(db.get(), QStringLiteral("d1"), Now + 1);
        QCOMPARE(counts.Added, added);
        QCOMPARE(counts.Changed, changed);
        QCOMPARE(counts.Deleted, deleted);
        // A changed or deleted row's version has seen the one before; the others stay.
        const TSnapshot after = RowStore::Read(db.get());
        int newer = 0;
        for (const auto& [table, rows] : before)
            for (const TRow& row : rows.Rows) {
                const TRow* now = after.at(table).Find(row.Id);
                const TVersionVector versions =
                    now ? now->Versions : after.at(table).Deletions.value(row.Id).Versions;
                QVERIFY(versions.Covers(row.Versions));
                newer += versions != row.Versions;
            }
        QCOMPARE(newer, changed + deleted);
        QCOMPARE(ChangeScan::Run(db.get(), QStringLiteral("d1"), Now + 2).Changed, 0);
    }

    // What a merge makes of a change on this computer (ours) and one on the other (theirs), both
    // made after sync was turned on in two copies of one file.
    void mergeRules_data()
    {
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<bool>("theirsNewer");
        QTest::addColumn<bool>("confirm");  // the answer to a deletion question
        QTest::addColumn<QString>("check"); // a statement on our file after the merge
        QTest::addColumn<QString>("expected");
        const QString notes = QStringLiteral("select TypeID||':'||replace(ReMark, char(10), '/') "
                                             "from NoteBook order by TypeID");
        const QString groups = QStringLiteral("select SelfIndex||':'||ParentIndex||':'||TypeName "
                                              "from NoteType order by SelfIndex");
        const QString addresses = QStringLiteral("select TypeID||':'||IEUrl||':'||IEName||':'||"
                                                 "ReMark from IE order by ID");
        QTest::newRow("their edit is taken") << ""
                                             << "update NoteBook set ReMark='x' where TypeID=3"
                                             << true << true << notes << "2:one/two/three|3:x";
        QTest::newRow("the root's note is a note like the others")
            << ""
            << "insert into NoteBook values (0, 'root')" << true << true << notes
            << "0:root|2:one/two/three|3:shopping";
        QTest::newRow("our edit stays") << "update NoteBook set ReMark='x' where TypeID=3"
                                        << "" << true << true << notes << "2:one/two/three|3:x";
        QTest::newRow("lines changed on both sides merge")
            << "update NoteBook set ReMark=replace(ReMark, 'one', 'ONE') where TypeID=2"
            << "update NoteBook set ReMark=replace(ReMark, 'three', 'THREE') where TypeID=2" << true
            << true << notes << "2:ONE/two/THREE|3:shopping";
        QTest::newRow("a clash keeps the newer text, the older in a sibling group")
            << "update NoteBook set ReMark=replace(ReMark, 'two', 'mine') where TypeID=2"
            << "update NoteBook set ReMark=replace(ReMark, 'two', 'yours') where TypeID=2" << true
            << true
            << "select ParentIndex||':'||TypeName||':'||replace(ReMark, char(10), '/') from "
               "NoteType join NoteBook on TypeID=SelfIndex where SelfIndex in (2, 5)"
            << "1:Plans:one/yours/three|1:Plans（冲突副本 here-name 2027-01-15）:one/mine/three";
        QTest::newRow("address fields changed on both sides merge")
            << "update IE set IEName='Bee' where ID=3"
            << "update IE set ReMark='note' where ID=3" << false << true << addresses
            << "1:a.example:A:|1:a.example:A:|1:b.example:Bee:note";
        QTest::newRow("one address field changed on both: newer wins, older kept aside")
            << "update IE set IEUrl='mine.example' where ID=3"
            << "update IE set IEUrl='yours.example' where ID=3" << false << true
            << QStringLiteral("select * from (%1) union all select TypeName from IEType where "
                              "SelfIndex=2 and ParentIndex=0")
                   .arg(addresses)
            << "1:a.example:A:|1:a.example:A:|1:mine.example:B:r|2:yours.example:B:r|同步冲突";
        QTest::newRow("the newer rename wins")
            << "update NoteType set TypeName='Ours' where SelfIndex=3"
            << "update NoteType set TypeName='Theirs' where SelfIndex=3" << true << true << groups
            << "1:0:Work|2:1:Plans|3:0:Theirs|4:0:Home";
        QTest::newRow("a rename here and a move there both stay")
            << "update NoteType set TypeName='Ideas' where SelfIndex=2"
            << "update NoteType set ParentIndex=3 where SelfIndex=2" << false << true << groups
            << "1:0:Work|2:3:Ideas|3:0:Home|4:0:Home";
        QTest::newRow("moves that close a loop: the later moved group goes to the top")
            << "update NoteType set ParentIndex=3 where SelfIndex=1"
            << "update NoteType set ParentIndex=2 where SelfIndex=3" << true << true << groups
            << "1:3:Work|2:1:Plans|3:0:Home|4:0:Home";
        QTest::newRow("an edit while deleted there keeps the note and its groups")
            << "update NoteBook set ReMark='kept' where TypeID=2"
            << "delete from NoteType where SelfIndex in (1, 2); delete from NoteBook where "
               "TypeID=2"
            << true << true
            << QStringLiteral("select * from (%1) union all select ReMark from NoteBook where "
                              "TypeID=2")
                   .arg(groups)
            << "1:0:Work|2:1:Plans|3:0:Home|4:0:Home|kept";
        QTest::newRow("a deletion of what we left alone is taken")
            << ""
            << "delete from IE where ID=3" << true << true << addresses
            << "1:a.example:A:|1:a.example:A:";
        // What a deletion there takes lands in this computer's recycle bin: a group with what
        // went with it, or an address or a note alone.
        const QString bin = QStringLiteral("select TableName||':'||What||':'||Place||':'||(select "
                                           "count(*) from RecycleBinRow r where r.ItemId="
                                           "b.ItemId) from RecycleBin b order by ItemId");
        QTest::newRow("deleted there, into the bin here")
            << ""
            << "delete from NoteType where SelfIndex in (1, 2); delete from NoteBook where "
               "TypeID in (2, 3); delete from IE where ID=3"
            << true << true << bin
            << "NoteType:Work:根目录:3|IE:B:全部->News:1|NoteBook:Home:根目录->Home:1";
        QTest::newRow("a deletion declined keeps the rows")
            << ""
            << "delete from IE where ID=3" << true << false << addresses
            << "1:a.example:A:|1:a.example:A:|1:b.example:B:r";
        QTest::newRow("a new group with its note comes in its parent")
            << "insert into NoteType values (5, 0, 'Mine')"
            << "insert into NoteType values (5, 3, 'New'); insert into NoteBook values (5, 'hi')"
            << true << true
            << QStringLiteral("select * from (%1) union all select ReMark from NoteBook where "
                              "TypeID=6")
                   .arg(groups)
            << "1:0:Work|2:1:Plans|3:0:Home|4:0:Home|5:0:Mine|6:3:New|hi";
        QTest::newRow("the login settings are never merged")
            << ""
            << "update SysSet set bPass=1, PassWord='secret'" << true << true
            << "select bPass||PassWord from SysSet"
            << "0";
    }

    void mergeRules()
    {
        QFETCH(QString, ours);
        QFETCH(QString, theirs);
        QFETCH(bool, theirsNewer);
        QFETCH(bool, confirm);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        TTestFolder folder;
        const TConnection here = Copy(folder, QStringLiteral("here.dat"), Sample);
        const TConnection there = Copy(folder, QStringLiteral("there.dat"), Sample);
        ChangeScan::Run(here.get(), QStringLiteral("here"), Now);
        ChangeScan::Run(there.get(), QStringLiteral("there"), Now);
        Run(here.get(), ours);
        Run(there.get(), theirs);
        ChangeScan::Run(there.get(), QStringLiteral("there"), Now + (theirsNewer ? 20 : 5));
        const PeerMerge::TReport report = PeerMerge::Merge(
            here.get(), there.get(), Setup(QStringLiteral("here"), Now + 10, confirm));
        QCOMPARE(report.Refused, QString());
        QCOMPARE(Rows(here.get(), check), expected);
        // Merging the same file again changes nothing.
        const QStringList merged = Content(here.get());
        PeerMerge::Merge(here.get(), there.get(), Setup(QStringLiteral("here"), Now + 30));
        QCOMPARE(Content(here.get()), merged);
    }

    // A computer's own file in the synced folder carries its changes to another computer; a file
    // that is torn or keyed otherwise is refused and changes nothing.
    void peerFileMerged_data()
    {
        QTest::addColumn<qint64>("keptBytes"); // of the written file; -1 all
        QTest::addColumn<bool>("otherKey");
        QTest::addColumn<bool>("merged");
        QTest::addColumn<bool>("previousVersion"); // written by the program before the bin
        QTest::newRow("whole") << qint64(-1) << false << true << false;
        QTest::newRow("torn") << qint64(3 * 4096) << false << false << false;
        QTest::newRow("keyed with another password") << qint64(-1) << true << false << false;
        QTest::newRow("from the previous version") << qint64(-1) << false << true << true;
    }

    void peerFileMerged()
    {
        QFETCH(qint64, keptBytes);
        QFETCH(bool, otherKey);
        QFETCH(bool, merged);
        QFETCH(bool, previousVersion);
        TTestFolder folder;
        const TConnection there = Copy(folder, QStringLiteral("there.dat"), Sample);
        if (previousVersion)
            Run(there.get(), QStringLiteral("drop table NoteHistory; drop table RecycleBin; "
                                            "drop table RecycleBinRow; PRAGMA user_version = 1"));
        const TConnection here = Copy(folder, QStringLiteral("here.dat"), Sample);
        ChangeScan::Run(here.get(), QStringLiteral("here"), Now);
        ChangeScan::Run(there.get(), QStringLiteral("there"), Now);
        Run(there.get(), QStringLiteral("update NoteBook set ReMark='from there' where TypeID=3"));
        const QString synced = folder.Path() + QStringLiteral("synced");
        QVERIFY(QDir().mkpath(synced));
        const TFileKey key =
            otherKey ? TFileKey::Derive(QStringLiteral("pw"), QByteArray(16, 'x')) : TFileKey();
        QCOMPARE(
            SyncFolder::WriteOwnFile(there.get(), synced, QStringLiteral("there"), key, Now + 1),
            QString());
        const QList<SyncFolder::TPeerFile> peers =
            SyncFolder::PeerFiles(synced, QStringLiteral("here"));
        QCOMPARE(peers.size(), 1);
        QCOMPARE(peers.first().Device, QStringLiteral("there"));
        if (keptBytes >= 0)
            QVERIFY(QFile::resize(peers.first().Path, keptBytes));
        const QStringList before = Content(here.get());
        const PeerMerge::TReport report = SyncFolder::MergePeerFile(
            here.get(), peers.first().Path, TFileKey(), Setup(QStringLiteral("here"), Now + 2));
        QCOMPARE(report.Refused.isEmpty(), merged);
        QCOMPARE(Rows(here.get(), QStringLiteral("select ReMark from NoteBook where TypeID=3")),
                 merged ? QStringLiteral("from there") : QStringLiteral("shopping"));
        if (!merged)
            QCOMPARE(Content(here.get()), before);
    }

    // What an import of another file (a conflict copy, an old backup) brings in: what this file
    // lacks, nothing here deleted or overwritten, the other version of a clash kept beside.
    void importRules_data()
    {
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("theirs");
        QTest::addColumn<QString>("check"); // a statement on our file after the import
        QTest::addColumn<QString>("expected");
        const QString notes = QStringLiteral("select TypeID||':'||replace(ReMark, char(10), '/') "
                                             "from NoteBook order by TypeID");
        const QString groups = QStringLiteral("select SelfIndex||':'||ParentIndex||':'||TypeName "
                                              "from NoteType order by SelfIndex");
        const QString addresses = QStringLiteral("select TypeID||':'||IEUrl||':'||IEName||':'||"
                                                 "ReMark from IE order by ID");
        QTest::newRow("a group comes under the group of its path, the same name elsewhere apart")
            << "insert into NoteType values (5, 1, 'New')"
            << "insert into NoteType values (7, 4, 'New'), (8, 7, 'Deeper')" << groups
            << "1:0:Work|2:1:Plans|3:0:Home|4:0:Home|5:1:New|6:4:New|7:6:Deeper";
        QTest::newRow("a note that grew there is taken")
            << ""
            << "update NoteBook set ReMark=ReMark||char(10)||'four' where TypeID=2" << notes
            << "2:one/two/three/four|3:shopping";
        QTest::newRow("a note typed on at a line's end there is taken")
            << ""
            << "update NoteBook set ReMark=ReMark||' and bread' where TypeID=3" << notes
            << "2:one/two/three|3:shopping and bread";
        QTest::newRow("a note emptied here takes theirs")
            << "update NoteBook set ReMark='' where TypeID=3"
            << "" << notes << "2:one/two/three|3:shopping";
        QTest::newRow("a note that grew here stays")
            << "update NoteBook set ReMark='list'||char(10)||ReMark where TypeID=3"
            << "" << notes << "2:one/two/three|3:list/shopping";
        QTest::newRow("a note changed on both sides: theirs in a sibling group")
            << "update NoteBook set ReMark=replace(ReMark, 'two', 'mine') where TypeID=2"
            << "update NoteBook set ReMark=replace(ReMark, 'two', 'yours') where TypeID=2"
            << "select ParentIndex||':'||TypeName||':'||replace(ReMark, char(10), '/') from "
               "NoteType join NoteBook on TypeID=SelfIndex where SelfIndex in (2, 5)"
            << "1:Plans:one/mine/three|1:Plans（冲突副本 USB 2027-01-15）:one/yours/three";
        QTest::newRow("an address comes into its group")
            << ""
            << "insert into IE (TypeID, IEUrl, IEName, ReMark) values (1, 'c.example', 'C', "
               "'x'), (0, 'top.example', 'T', '')"
            << addresses
            << "1:a.example:A:|1:a.example:A:|1:b.example:B:r|1:c.example:C:x|0:top.example:T:";
        QTest::newRow("an address titled otherwise: theirs in the conflict group")
            << ""
            << "update IE set IEName='Bee' where ID=3"
            << QStringLiteral("select * from (%1) union all select TypeName from IEType where "
                              "SelfIndex=2 and ParentIndex=0")
                   .arg(addresses)
            << "1:a.example:A:|1:a.example:A:|1:b.example:B:r|2:b.example:Bee:r|同步冲突";
        QTest::newRow("nothing here is deleted")
            << ""
            << "delete from NoteType; delete from NoteBook; delete from IE; delete from IEType"
            << QStringLiteral("select count(*) from NoteType union all select count(*) from "
                              "NoteBook union all select count(*) from IE")
            << "4|2|3";
        QTest::newRow("the login settings are never taken")
            << ""
            << "update SysSet set bPass=1, PassWord='secret'"
            << "select bPass||PassWord from SysSet"
            << "0";
    }

    void importRules()
    {
        QFETCH(QString, ours);
        QFETCH(QString, theirs);
        QFETCH(QString, check);
        QFETCH(QString, expected);
        TTestFolder folder;
        const TConnection here = Copy(folder, QStringLiteral("here.dat"), Sample + ours);
        const TConnection there = Copy(folder, QStringLiteral("there.dat"), Sample + theirs);
        const ImportMerge::TSetup setup{QStringLiteral("USB"), Now};
        QCOMPARE(ImportMerge::Merge(here.get(), there.get(), setup).Refused, QString());
        QCOMPARE(Rows(here.get(), check), expected);
        // Imported again, on another day: nothing more comes in.
        const QString all = QStringLiteral(
            "select * from (select 'g'||SelfIndex||ParentIndex||TypeName from NoteType union all "
            "select 'a'||SelfIndex||ParentIndex||TypeName from IEType union all select "
            "'n'||TypeID||ReMark from NoteBook union all select 'i'||ID||TypeID||IEUrl||IEName||"
            "ReMark from IE) order by 1");
        const QString merged = Rows(here.get(), all);
        const ImportMerge::TReport again =
            ImportMerge::Merge(here.get(), there.get(), {QStringLiteral("USB"), Now + 86'400'000});
        QCOMPARE(again.Groups + again.Notes + again.Addresses + again.Conflicts, 0);
        QCOMPARE(Rows(here.get(), all), merged);
    }

    // The conflict group an import makes is the one a merge of another computer's copy uses: the
    // two never make two of them.
    void importAndPeerShareTheConflictGroup()
    {
        TTestFolder folder;
        const TConnection here = Copy(folder, QStringLiteral("here.dat"), Sample);
        const TConnection there = Copy(folder, QStringLiteral("there.dat"), Sample);
        ChangeScan::Run(here.get(), QStringLiteral("here"), Now);
        ChangeScan::Run(there.get(), QStringLiteral("there"), Now);
        const TConnection old =
            Copy(folder, QStringLiteral("old.dat"),
                 Sample + QStringLiteral("update IE set ReMark='old' where ID=3"));
        ImportMerge::Merge(here.get(), old.get(), {QStringLiteral("USB"), Now + 1});
        Run(here.get(), QStringLiteral("update IE set IEUrl='mine.example' where ID=3"));
        Run(there.get(), QStringLiteral("update IE set IEUrl='yours.example' where ID=3"));
        ChangeScan::Run(there.get(), QStringLiteral("there"), Now + 2);
        PeerMerge::Merge(here.get(), there.get(), Setup(QStringLiteral("here"), Now + 10));
        QCOMPARE(Rows(here.get(), QStringLiteral("select count(*) from IEType where TypeName="
                                                 "'同步冲突'")),
                 QStringLiteral("1"));
    }

    // Killed at any moment of a merge or of writing its own file, a computer's data file is whole
    // and either as it was or merged, the own file is either the old one or the new one, and
    // merging again ends where an uninterrupted merge ends.
    void killDuringMergeOrExportLosesNothing()
    {
        TTestFolder folder;
        const QString many = QStringLiteral(
            "with recursive n(i) as (select 10 union all select i+1 from n where i<3000) "
            "insert into NoteType select i, 1, 'g'||i from n;");
        {
            const TConnection here = Copy(folder, QStringLiteral("here.dat"), Sample);
            const TConnection there = Copy(folder, QStringLiteral("there.dat"), Sample);
            ChangeScan::Run(here.get(), QStringLiteral("here"), Now);
            ChangeScan::Run(there.get(), QStringLiteral("there"), Now);
            Run(there.get(),
                many + QStringLiteral("update NoteBook set ReMark='t' where TypeID=3"));
            Run(here.get(), QStringLiteral("update IE set IEName='mine' where ID=3"));
            QVERIFY(QDir().mkpath(folder.Path() + QStringLiteral("synced")));
            QCOMPARE(SyncFolder::WriteOwnFile(there.get(), folder.Path() + QStringLiteral("synced"),
                                              QStringLiteral("there"), TFileKey(), Now + 1),
                     QString());
        }
        const QString here = folder.Path() + QStringLiteral("here.dat");
        const QString synced = folder.Path() + QStringLiteral("synced");
        const QString peer = SyncFolder::PeerFiles(synced, QStringLiteral("here")).first().Path;
        const auto merge = [&](sqlite3* connection) {
            SyncFolder::MergePeerFile(connection, peer, TFileKey(),
                                      Setup(QStringLiteral("here"), Now + 2));
        };
        const auto open = [](const QString& path) {
            QString error;
            TConnection connection = DatabaseFile::Open(path, false, &error);
            if (!connection)
                qFatal("%s", qPrintable(error));
            return connection;
        };
        QVERIFY(QFile::copy(here, folder.Path() + QStringLiteral("clean.dat")));
        QStringList before, merged;
        {
            const TConnection clean = open(folder.Path() + QStringLiteral("clean.dat"));
            before = Content(clean.get());
            merge(clean.get());
            merged = Content(clean.get());
        }
        QVERIFY(merged != before);
        const QString own =
            synced + QLatin1Char('/') + SyncFolder::OwnFileName(QStringLiteral("here"));
        const QString pristine = folder.Path() + QStringLiteral("pristine.dat");
        QVERIFY(QFile::copy(here, pristine));
        for (int round = 0; round < 8; ++round) {
            // Each round interrupts the first merge of the same file anew.
            QFile::remove(here);
            QFile::remove(here + QStringLiteral("-journal"));
            QVERIFY(QFile::copy(pristine, here));
            const pid_t child = ::fork();
            if (child == 0) {
                const TConnection connection = open(here);
                for (;;) {
                    merge(connection.get());
                    SyncFolder::WriteOwnFile(connection.get(), synced, QStringLiteral("here"),
                                             TFileKey(), Now + 3);
                }
            }
            std::this_thread::sleep_for(
                std::chrono::milliseconds(QRandomGenerator::global()->bounded(1, 900)));
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            const TConnection connection = open(here);
            QCOMPARE(Rows(connection.get(), QStringLiteral("PRAGMA integrity_check")),
                     QStringLiteral("ok"));
            const QStringList now = Content(connection.get());
            QVERIFY(now == before || now == merged);
            if (QFile::exists(own)) {
                QString error;
                const TConnection copy = DatabaseFile::OpenReadOnly(own, &error);
                QVERIFY2(copy && PeerMerge::PeerProblem(copy.get()).isEmpty(), qPrintable(own));
            }
            merge(connection.get());
            QCOMPARE(Content(connection.get()), merged);
        }
    }

    // Three copies edited at random and merged with each other in random order end equal, and
    // hold every address and every line typed except where a deletion that had seen them
    // removed them.
    void randomEditsConverge()
    {
        for (quint32 seed = 1; seed <= 12; ++seed) {
            QRandomGenerator random(seed);
            TTestFolder folder;
            std::vector<TConnection> copies;
            const QStringList devices{QStringLiteral("a"), QStringLiteral("b"),
                                      QStringLiteral("c")};
            for (const QString& device : devices) {
                copies.push_back(Copy(folder, device + QStringLiteral(".dat"), Sample));
                ChangeScan::Run(copies.back().get(), device, Now);
            }
            QSet<QString> urls;  // added and never deleted
            QSet<QString> lines; // typed and not in a note deleted since
            qint64 now = Now;
            for (int step = 0; step < 60; ++step) {
                const int c = random.bounded(3);
                sqlite3* db = copies[size_t(c)].get();
                const QStringList groupsHere =
                    Rows(db, QStringLiteral("select SelfIndex from NoteType where SelfIndex not "
                                            "in (select ParentIndex from NoteType)"))
                        .split(QLatin1Char('|'), Qt::SkipEmptyParts);
                const QString token = QStringLiteral("t%1x%2").arg(seed).arg(step);
                const QString group =
                    groupsHere.value(random.bounded(qMax(1, int(groupsHere.size()))));
                switch (random.bounded(group.isEmpty() ? 1 : 6)) {
                case 0:
                    Run(db,
                        QStringLiteral(
                            "insert into NoteType select coalesce(max(SelfIndex), 0)+1, %1, '%2' "
                            "from NoteType")
                            .arg(group.isEmpty() ? QStringLiteral("0") : group, token));
                    break;
                case 1:
                case 2:
                    Run(db, QStringLiteral("insert or ignore into NoteBook select %1, '' where not "
                                           "exists (select 1 from NoteBook where TypeID=%1); "
                                           "update NoteBook set ReMark=ReMark||char(10)||'%2' "
                                           "where TypeID=%1")
                                .arg(group, token));
                    lines.insert(token);
                    break;
                case 3:
                    Run(db, QStringLiteral("update NoteType set TypeName='%2' where SelfIndex=%1")
                                .arg(group, token));
                    break;
                case 4:
                    Run(db, QStringLiteral("insert into IE (TypeID, IEUrl) values (1, '%1')")
                                .arg(token));
                    urls.insert(token);
                    break;
                case 5: {
                    const QStringList added =
                        Rows(db, QStringLiteral("select IEUrl from IE where IEUrl like 't%' "
                                                "order by ID"))
                            .split(QLatin1Char('|'));
                    const QString gone = added.value(random.bounded(int(added.size())));
                    for (const QString& line : Rows(db, QStringLiteral("select ReMark from "
                                                                       "NoteBook where TypeID=") +
                                                            group)
                                                   .split(QLatin1Char('\n')))
                        lines.remove(line);
                    Run(db, QStringLiteral("delete from IE where IEUrl='%1'; delete from NoteType "
                                           "where SelfIndex=%2; delete from NoteBook where "
                                           "TypeID=%2")
                                .arg(gone, group));
                    urls.remove(gone);
                    break;
                }
                }
                now += 1000;
                ChangeScan::Run(db, devices[c], now);
                if (random.bounded(3) == 0) {
                    const int peer = (c + 1 + random.bounded(2)) % 3;
                    PeerMerge::Merge(db, copies[size_t(peer)].get(), Setup(devices[c], now));
                }
            }
            for (int round = 0; round < 3; ++round)
                for (int c = 0; c < 3; ++c)
                    for (int peer = 0; peer < 3; ++peer)
                        if (peer != c)
                            PeerMerge::Merge(copies[size_t(c)].get(), copies[size_t(peer)].get(),
                                             Setup(devices[c], now += 1000));
            const QStringList first = Content(copies[0].get());
            QCOMPARE(Content(copies[1].get()), first);
            QCOMPARE(Content(copies[2].get()), first);
            const QString everything = first.join(QLatin1Char('\n'));
            for (const QString& url : std::as_const(urls))
                QVERIFY2(everything.contains(url), qPrintable(url));
            for (const QString& line : std::as_const(lines))
                QVERIFY2(everything.contains(line), qPrintable(line));
        }
    }
};

QTEST_GUILESS_MAIN(TestSync)
#include "tst_sync.moc"
