#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include "data/Sqlite.h"

// One statement of the sync tables' work, prepared once and run as often as needed, its values
// bound by position. Failures throw EDBException with the statement.
class TSyncStatement final
{
public:
    TSyncStatement(sqlite3* connection, const QString& sql);

    TSyncStatement& Bind(int position, const QString& text);
    TSyncStatement& Bind(int position, qint64 number);
    // Text given as the engine's own UTF-8 bytes.
    TSyncStatement& BindUtf8(int position, QByteArrayView utf8);
    // Moves to the next row; false after the last, when the statement is ready to run again.
    bool Next();
    // Runs a statement without rows and makes it ready to run again.
    void Run();

    QString Text(int column) const;
    qint64 Number(int column) const;
    // A column's text as the engine holds it, valid until the next step: nothing is converted.
    QByteArrayView Utf8(int column) const;

private:
    sqlite3* FConnection;
    QByteArray FSql;
    TStatement FStatement;
};

namespace SyncSql {
// Runs statements without values; throws EDBException on failure.
void Execute(sqlite3* connection, const QString& sql);
} // namespace SyncSql
