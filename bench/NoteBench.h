#pragma once

// What the note benchmarks share: a note page over a temporary copy of the delivered database,
// showing the root note, and a note text of a given size.

#include "BenchDatabase.h"
#include "common/CardException.h"
#include "common/UserDialogs.h"
#include "data/DbAccess.h"
#include "data/DbWriter.h"
#include "data/Sqlite.h"
#include "notes/Note.h"
#include "notes/NotePage.h"
#include "notes/NoteSaver.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

// A note of about the given size in UTF-8: lines of mixed Chinese and ASCII text.
inline QString NoteText(int bytes)
{
    const QString line =
        QStringLiteral("2024/3/5 会议记录：讨论项目进度 and next steps, 第 %1 行\n");
    QString text;
    for (qsizetype size = 0, i = 0; size < bytes; ++i) {
        const QString next = line.arg(i);
        text += next;
        size += next.toUtf8().size();
    }
    return text;
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The root note's page, shown as the main window shows it, with the caret at the end.
struct TBenchPage
{
    TQuietDialogs Dialogs;
    TNote Note;
    std::unique_ptr<TNotePage> Page;
    QPlainTextEdit* Editor = nullptr; // the page's note, where the keys go

    TBenchPage(TDbAccess& db, const QString& note) : Note(db)
    {
        db.ExecuteBatch(QStringLiteral("delete from NoteBook"));
        db.RunPrepared("insert into NoteBook(TypeID,ReMark) values(0,?)", {note.toUtf8()});
        Page = std::make_unique<TNotePage>(db, Dialogs, Note);
        Page->resize(600, 400);
        Page->show();
        Page->LoadGroups();
        Page->ShowRootNote();
        // The writer keys its connection first; the saves are what is measured.
        db.Writer().WaitReady(std::chrono::seconds(10));
        Editor = Page->findChild<QPlainTextEdit*>(QStringLiteral("mmoNote"));
        Editor->setFocus();
        Editor->moveCursor(QTextCursor::End);
        QCoreApplication::processEvents();
    }

    TNoteSaver& Saver() const { return Page->NoteSaver(); }

    // A key as the window system hands it over: press and release, queued.
    void PostKey(int key, const QString& text) const
    {
        QCoreApplication::postEvent(Editor, new QKeyEvent(QEvent::KeyPress, key, {}, text));
        QCoreApplication::postEvent(Editor, new QKeyEvent(QEvent::KeyRelease, key, {}, text));
    }
};

// The floor: one prepared UPDATE of one row of a second copy of the database, with the program
// connection's settings, committed on its own.
class TBareWriter final
{
public:
    explicit TBareWriter(const QString& path)
    {
        QString error;
        FConnection = DatabaseFile::Open(path, false, &error);
        if (!FConnection)
            qFatal("%s", qPrintable(error));
        DatabaseFile::Execute(
            FConnection.get(),
            QStringLiteral("PRAGMA journal_mode=TRUNCATE; PRAGMA synchronous=FULL; "
                           "PRAGMA cache_size=-16384; delete from NoteBook; "
                           "insert into NoteBook values (0, '');"));
        FUpdate = Prepare(FConnection.get(),
                          QStringLiteral("update NoteBook set ReMark=? where TypeID=0"), &error);
    }

    void Write(const QString& text)
    {
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_text64(FUpdate.get(), 1, utf8.constData(), sqlite3_uint64(utf8.size()),
                            SQLITE_STATIC, SQLITE_UTF8);
        if (sqlite3_step(FUpdate.get()) != SQLITE_DONE)
            qFatal("bare update failed");
        sqlite3_reset(FUpdate.get());
    }

private:
    TConnection FConnection;
    TStatement FUpdate;
};
