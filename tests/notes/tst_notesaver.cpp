#include "ScriptedDialogs.h"
#include "TestFolder.h"

#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "data/NoteHistory.h"
#include "data/Sqlite.h"
#include "notes/Note.h"
#include "notes/NoteSaver.h"

#include <QtTest>

#include <sqlcipher/sqlite3.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace {

// A saver of the root note over a writer of its own on a fresh database, with a disk and a
// clock the test moves; the editor is a text. The disk holds each commit while Held (slow, but
// it will write) and fails it while Failing.
struct TRig
{
    TTestFolder Folder;
    TScriptedDialogs Dialogs;
    std::mutex Mutex;
    std::condition_variable Released;
    bool Held = false;
    bool Failing = false;
    int Commits = 0;
    qint64 Now = 0;
    QString Text;
    std::unique_ptr<TDbWriter> Writer;
    std::unique_ptr<TNoteSaver> Saver;

    TRig()
    {
        Folder.Connect();
        Writer = std::make_unique<TDbWriter>([this](QString* error) {
            TConnection connection = DatabaseFile::Open(Folder.DatabasePath(), false, error);
            if (connection)
                sqlite3_commit_hook(connection.get(), &TRig::Commit, this);
            return connection;
        });
        Saver =
            std::make_unique<TNoteSaver>([this]() -> TDbWriter& { return *Writer; }, Dialogs,
                                         [this] { return Text; }, nullptr, [this] { return Now; });
        Saver->Shown(0, 0);
    }

    ~TRig()
    {
        Disk(false, false);
        Saver.reset();
        Writer.reset();
    }

    void Disk(bool held, bool failing)
    {
        const std::lock_guard lock(Mutex);
        Held = held;
        Failing = failing;
        Released.notify_all();
    }

    static int Commit(void* self)
    {
        auto* rig = static_cast<TRig*>(self);
        std::unique_lock lock(rig->Mutex);
        rig->Released.wait(lock, [rig] { return !rig->Held; });
        ++rig->Commits;
        return rig->Failing ? 1 : 0;
    }

    // A key typed; the input handled.
    void Type(const QString& key)
    {
        Text += key;
        Saver->Changed();
        QCoreApplication::processEvents();
    }

    QString Stored()
    {
        TNote note(Folder.Db());
        note.LoadNote(QStringLiteral("0"));
        return note.ReMark;
    }

    // The root note's versions, newest first.
    QStringList Versions()
    {
        TNoteHistory history(Folder.Db().Handle());
        QStringList texts;
        for (const TNoteHistory::TVersion& version : history.List(0))
            texts << history.Text(version.VersionId);
        return texts;
    }
};

} // namespace

class TestNoteSaver : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Keys typed while a save is on its way follow it to the disk without anything else
    // happening: no further key, no paint.
    void typingDuringASaveFollowsIt()
    {
        TRig rig;
        rig.Disk(true, false);
        rig.Type(QStringLiteral("a"));
        QTRY_VERIFY(!rig.Writer->Idle());
        rig.Type(QStringLiteral("b"));
        rig.Disk(false, false);
        QTRY_VERIFY(!rig.Saver->Due());
        QCOMPARE(rig.Stored(), QStringLiteral("ab"));
    }

    // Keys coming quickly into a large note go to the disk in one save once they pause...
    void largeNoteBurstIsOneSave()
    {
        TRig rig;
        rig.Type(QString(TNoteSaver::LargeNote, QLatin1Char('x')));
        QTRY_VERIFY(!rig.Saver->Due());
        const int saves = rig.Saver->Saves();
        for (int key = 0; key < 3; ++key)
            rig.Type(QStringLiteral("a"));
        QTRY_VERIFY(!rig.Saver->Due());
        QCOMPARE(rig.Saver->Saves(), saves + 1);
        QCOMPARE(rig.Stored(), rig.Text);
    }

    // ...and are saved while they keep coming, never held back for good.
    void largeNoteKeptTypingIsSaved()
    {
        TRig rig;
        rig.Type(QString(TNoteSaver::LargeNote, QLatin1Char('x')));
        QTRY_VERIFY(!rig.Saver->Due());
        const int saves = rig.Saver->Saves();
        QElapsedTimer typing;
        typing.start();
        while (rig.Saver->Saves() == saves && typing.elapsed() < 3000) {
            rig.Type(QStringLiteral("a"));
            QTest::qWait(5);
        }
        QCOMPARE_GT(rig.Saver->Saves(), saves);
    }

    // A changed note gets a version once left alone; a save that takes more than half of it
    // away keeps the text before it first, in that save's own commit; an unchanged note none.
    void versionsAtTheMoments_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("leftAlone");
        QTest::addColumn<QStringList>("versions");
        const QString note = QStringLiteral("第一段 of a long note");
        QTest::newRow("typing, left alone") << note + u'!' << true << QStringList{note + u'!'};
        QTest::newRow("typing") << note + u'!' << false << QStringList();
        QTest::newRow("nothing typed, left alone") << note << true << QStringList();
        QTest::newRow("select all, a key") << QStringLiteral("x") << false << QStringList{note};
        QTest::newRow("a paste over all")
            << QString(note.size(), u'p') << false << QStringList{note};
        QTest::newRow("a cut, left alone")
            << note.left(3) << true << QStringList{note.left(3), note};
    }

    void versionsAtTheMoments()
    {
        QFETCH(QString, typed);
        QFETCH(bool, leftAlone);
        QFETCH(QStringList, versions);
        TRig rig;
        rig.Type(QStringLiteral("第一段 of a long note"));
        QTRY_VERIFY(!rig.Saver->Due());
        rig.Saver->Shown(0, 0, rig.Stored());
        if (leftAlone)
            rig.Saver->SetKeepAfter(std::chrono::milliseconds(20));
        const int commits = rig.Commits;
        if (typed != rig.Text) {
            rig.Text = typed;
            rig.Saver->Changed();
        }
        QTRY_VERIFY(!rig.Saver->Due());
        // Left alone, the version comes once the note has been let be, which may be after the
        // save has long been written.
        if (leftAlone)
            QTRY_COMPARE(rig.Versions(), versions);
        else
            QCOMPARE(rig.Commits, commits + 1);
        QTRY_VERIFY(!rig.Saver->KeepPending() && rig.Writer->Idle());
        QCOMPARE(rig.Versions(), versions);
        QCOMPARE(rig.Stored(), typed);
    }

    // The bar means trouble: a failing save at once; a slow one, or one kept out by a reader's
    // hold on the file, only once the typing has been on its way for 2 s. Once the disk writes,
    // it goes and the next save starts afresh.
    void barShowsForTrouble_data()
    {
        QTest::addColumn<QString>("disk");
        QTest::addColumn<qint64>("elapsed");
        QTest::addColumn<bool>("bar");
        const QString slow = QStringLiteral("slow");
        const QString held = QStringLiteral("held");
        QTest::newRow("slow, just under") << slow << qint64(1999) << false;
        QTest::newRow("slow, overdue") << slow << qint64(2000) << true;
        QTest::newRow("failing") << QStringLiteral("failing") << qint64(0) << true;
        QTest::newRow("held by a reader, just under") << held << qint64(1999) << false;
        QTest::newRow("held by a reader, overdue") << held << qint64(2000) << true;
    }

    void barShowsForTrouble()
    {
        QFETCH(QString, disk);
        QFETCH(qint64, elapsed);
        QFETCH(bool, bar);
        TRig rig;
        QString error;
        const TConnection reader = DatabaseFile::Open(rig.Folder.DatabasePath(), false, &error);
        if (disk == QLatin1String("held"))
            DatabaseFile::Execute(reader.get(), QStringLiteral("begin; select * from NoteBook"));
        rig.Disk(disk == QLatin1String("slow"), disk == QLatin1String("failing"));
        rig.Type(QStringLiteral("a"));
        if (disk != QLatin1String("slow"))
            QTRY_VERIFY(rig.Writer->State().Failures > 0);
        rig.Now += elapsed;
        rig.Type(QStringLiteral("b"));
        QTRY_COMPARE(!rig.Saver->Unsaved().isEmpty(), bar);

        DatabaseFile::Execute(reader.get(), QStringLiteral("rollback"));
        rig.Disk(false, false);
        rig.Writer->RetryNow();
        QTRY_VERIFY(!rig.Saver->Due());
        QCOMPARE(rig.Stored(), QStringLiteral("ab"));
        rig.Disk(true, false); // the next save, slow again, starts with nothing amiss
        rig.Type(QStringLiteral("c"));
        QCOMPARE(rig.Saver->Unsaved(), QString());
    }
};

QTEST_GUILESS_MAIN(TestNoteSaver)
#include "tst_notesaver.moc"
