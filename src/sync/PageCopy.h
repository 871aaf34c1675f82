#pragma once

#include <QString>

class TFileKey;
struct sqlite3;

// Writes target as a copy of the connection's file page for page, when the key that opens that
// file is key: no page is decrypted or encrypted again. The file is read under a read
// transaction, so that no writer changes it meanwhile, into a staged file beside target that is
// checked (as many pages as the file; that it opens with the key and has the program's schema,
// once for each key and salt of the file) and synced before it takes target's name. Returns the
// reason when no copy was made (another key, a transaction still open, a write-ahead log, a failed
// write): target is then as it was.
QString WritePageCopy(sqlite3* connection, const QString& target, const TFileKey& key);
