#include "DisplaySession.h"

#include <QtTest>

// A burst of real keys, sent at once through a display server, reaches the note in a few
// commits, not one per key, on X11 (Xvfb with openbox) and on Wayland (weston); all of it is
// stored.
class TestKeyBursts : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void burstIsSavedInFewCommits_data()
    {
        QTest::addColumn<TDisplaySession::TKind>("kind");
        QTest::newRow("X11") << TDisplaySession::TKind::X11;
        QTest::newRow("Wayland") << TDisplaySession::TKind::Wayland;
    }

    void burstIsSavedInFewCommits()
    {
        QFETCH(TDisplaySession::TKind, kind);
        TDisplaySession session(kind);
        const QString problem = session.Start();
        if (problem.startsWith(QLatin1String("missing")))
            QSKIP(qPrintable(problem));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));
        TNoteWindow window(session);
        const QString started =
            window.Start(QStringLiteral(NOTE_WINDOW), qEnvironmentVariable("VELMORA_DELIVERED_DB"));
        QVERIFY2(started.isEmpty(), qPrintable(started));
        QVERIFY(window.Note(1024));
        const TNoteWindow::TBurst burst = window.Burst(60, 0);
        QVERIFY(burst.Stored);
        QVERIFY2(burst.Commits >= 1 && burst.Commits <= burst.Keys / 6,
                 qPrintable(QString::number(burst.Commits)));
    }
};

QTEST_GUILESS_MAIN(TestKeyBursts)
#include "tst_keybursts.moc"
