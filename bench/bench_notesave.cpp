// One keystroke's save in the note editor, for notes of 1 KB, 100 KB and 1 MB: the whole save
// step (count, load, compare, post) beside a bare single-row UPDATE of the same text on a copy of
// the same database file, under each rollback journal mode with synchronous=FULL.
// Run: bench_notesave [delivered database] [rounds]; it works in a temporary folder.

#include "common/AppPath.h"
#include "data/DbAccess.h"
#include "data/Sqlite.h"
#include "notes/Note.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <sqlcipher/sqlite3.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// A note of about the given size in UTF-8: lines of mixed Chinese and ASCII text.
QString NoteText(int bytes)
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

bool Copy(const QString& from, const QString& to)
{
    QFile::remove(to);
    return QFile::copy(from, to) && QFile::setPermissions(to, QFile::ReadOwner | QFile::WriteOwner);
}

// The bare write: one prepared UPDATE of one row, committed on its own.
class TBareWriter final
{
public:
    TBareWriter(const QString& path, const QString& mode, int cacheSize)
    {
        QString error;
        FConnection = DatabaseFile::Open(path, false, &error);
        if (!FConnection)
            qFatal("%s", qPrintable(error));
        DatabaseFile::Execute(FConnection.get(),
                              QStringLiteral("PRAGMA journal_mode=%1; PRAGMA synchronous=FULL; "
                                             "PRAGMA cache_size=%2; "
                                             "insert into NoteBook values (1, '');")
                                  .arg(mode)
                                  .arg(cacheSize));
        FUpdate = Prepare(FConnection.get(),
                          QStringLiteral("update NoteBook set ReMark=? where TypeID=1"), &error);
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

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QString delivered =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_DELIVERED_DB);
    const int rounds = argc > 2 ? std::max(3, atoi(argv[2])) : 21;
    QTemporaryDir folder;
    SetAppPath(folder.path());
    const QString program = AppPath() + QStringLiteral("bookkeep.dat");
    const QString bare = AppPath() + QStringLiteral("bare.dat");

    int cacheSize = 0;
    std::printf("%-9s %8s %12s %12s %8s\n", "journal", "note", "save ms", "bare ms", "ratio");
    std::printf("(medians over %d keystrokes; the ratio is the median of the pairs' ratios)\n",
                rounds);
    for (const char* mode : {"DELETE", "TRUNCATE", "PERSIST"}) {
        if (!Copy(delivered, program) || !Copy(delivered, bare)) {
            std::fprintf(stderr, "cannot copy %s\n", qPrintable(delivered));
            return 1;
        }
        TDbAccess db;
        db.Connect();
        if (!db.Connected())
            return 1;
        db.OpenQuery(QStringLiteral("PRAGMA journal_mode=%1").arg(QLatin1String(mode)));
        const QString journal = db.QuerySet().AsString(0);
        if (DbQueryInteger(QStringLiteral("PRAGMA synchronous")) != 2 ||
            journal.compare(QLatin1String(mode), Qt::CaseInsensitive) != 0)
            qFatal("journal mode %s with synchronous=FULL not set", mode);
        // The bare writer gets the program connection's page cache.
        cacheSize = DbQueryInteger(QStringLiteral("PRAGMA cache_size"));
        TBareWriter writer(bare, QLatin1String(mode), cacheSize);

        for (const int size : {1024, 100 * 1024, 1024 * 1024}) {
            // A keystroke changes the last character; every save writes.
            const QString base = NoteText(size);
            SaveNoteText(QStringLiteral("1"), base);
            writer.Write(base);
            std::vector<double> save;
            std::vector<double> plain;
            std::vector<double> ratios;
            QElapsedTimer timer;
            for (int round = 0; round < rounds; ++round) {
                const QString text = base + QChar(u'a' + round % 2);
                timer.start();
                SaveNoteText(QStringLiteral("1"), text);
                save.push_back(double(timer.nsecsElapsed()) / 1e6);
                timer.start();
                writer.Write(text);
                plain.push_back(double(timer.nsecsElapsed()) / 1e6);
                // Neighbouring runs share the disk's mood: the ratio is taken pair by pair.
                ratios.push_back(save.back() / plain.back());
            }
            const double saveMs = Median(save);
            const double bareMs = Median(plain);
            std::printf("%-9s %7dK %12.2f %12.2f %7.2fx\n", mode, size / 1024, saveMs, bareMs,
                        Median(ratios));
        }
    }
    std::printf("page cache of both connections: %d (negative: KiB)\n", cacheSize);
    std::printf("target: save at most 1.2x the bare update\n");
    return 0;
}
