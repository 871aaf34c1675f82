#pragma once

#include <QByteArray>
#include <QString>

// What the code that writes files beside the data file shares.

// A reason that names the file it is about: "<path>: <reason>".
QString Located(const QString& path, const QString& reason);

// Why a write failed, as the user reads it: a full disk (or a file too large for it) in plain
// words, anything else as the system says it.
QString WriteFailure(int error);

// Flushes a written file to the disk; false, with errno telling why, when it can't.
bool SyncFile(const QString& path);

// Makes a rename in a folder durable.
void SyncFolder(const QString& folder);

// A file written whole beside its target, under a temporary name, and on disk in full before it
// takes the target's name: the target holds its old content or the new one, never a part. Every
// step checks; after the first failure the others do nothing, and the reason (naming the target)
// is kept. Unless committed, the temporary file is removed again. The file is the user's alone.
class TStagedFile final
{
public:
    explicit TStagedFile(QString target);
    ~TStagedFile();
    TStagedFile(const TStagedFile&) = delete;
    TStagedFile& operator=(const TStagedFile&) = delete;

    // Makes the temporary file.
    bool Open();
    bool Write(const char* data, qint64 size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), bytes.size()); }
    // Syncs and closes the temporary file.
    bool Finish();
    // Finishes the temporary file, then gives it the target's name: over a file that has
    // it when replace is set, else only where none does.
    bool Commit(bool replace = true);

    // Why it failed, naming the file; empty while it didn't.
    const QString& Reason() const { return FReason; }
    // The same without the file's name.
    const QString& Cause() const { return FCause; }
    // The temporary file's name while there is one.
    const QString& Path() const { return FPath; }

private:
    bool Fail(const QString& path, const QString& cause);
    void Discard();

    QString FTarget;
    QString FPath;
    int FFd = -1;
    QString FReason;
    QString FCause;
    bool FFinished = false;
};

// Writes the bytes as the whole of the target through a staged file; returns the reason on
// failure, empty on success.
QString WriteWholeFile(const QString& target, const QByteArray& bytes, bool replace = true);
