#pragma once

#include <QString>

class TFileKey;
struct sqlite3;

// Writing a database file again under another key, so that no moment leaves the file's name
// without a whole database behind it: the new file is written beside the old one under a
// temporary name, synced, checked, and only then renamed over it.
class TRekeyedCopy final
{
public:
    TRekeyedCopy() = default;
    ~TRekeyedCopy(); // removes the staged file unless it was committed
    TRekeyedCopy(const TRekeyedCopy&) = delete;
    TRekeyedCopy& operator=(const TRekeyedCopy&) = delete;

    // Writes what the source connection holds into a staged file beside target, keyed with
    // key; runs the statements of batch there (they go with the new key, so a crash never
    // leaves them with the old one); proves the file: it opens with the key, its pages are
    // sound and every table has as many rows as in the source. Returns the reason on failure.
    QString Write(sqlite3* source, const QString& target, const TFileKey& key,
                  const QString& batch = QString());
    // Renames the staged file over target and makes the rename durable.
    QString Commit();
    // The staged file while it is written and checked.
    QString Path() const { return FPath; }

private:
    QString FTarget;
    QString FPath;
};

// Whether the key opens the file as the program's database; the file is only read.
bool OpensWith(const QString& path, const TFileKey& key);

// Writes a copy file (a backup the program made) again under the new key, the same staged way.
// A copy that does not open with the old key is left as it is. Returns the reason when the copy
// was not rewritten.
QString ReencryptCopy(const QString& path, const TFileKey& from, const TFileKey& to);
