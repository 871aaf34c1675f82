#pragma once

#include "data/Sqlite.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// One statement, prepared once and run as often as needed, its values bound by position (from
// 1). A failure throws EDBException with the statement and the headline given (one of DbHint's
// texts, translated where it is shown).
class TBoundStatement
{
public:
    TBoundStatement(sqlite3* connection, const QString& sql, const char* hint);

    TBoundStatement& Bind(int position, const QString& text);
    TBoundStatement& Bind(int position, qint64 number);
    // Text given as the engine's own UTF-8 bytes.
    TBoundStatement& BindUtf8(int position, QByteArrayView utf8);
    TBoundStatement& BindBlob(int position, QByteArrayView bytes);
    // Moves to the next row; false after the last, when the statement is ready to run again.
    bool Next();
    // Runs a statement without rows and makes it ready to run again, its values cleared.
    void Run();
    // Ready to run again before the last row was reached.
    void Reset();

    QString Text(int column) const;
    qint64 Number(int column) const;
    // A column's text or bytes as the engine holds them, valid until the next step: nothing is
    // converted.
    QByteArrayView Utf8(int column) const;
    QByteArray Blob(int column) const;
    sqlite3_stmt* Handle() const { return FStatement.get(); }

private:
    [[noreturn]] void Fail() const;

    sqlite3* FConnection;
    QByteArray FSql;
    const char* FHint;
    TStatement FStatement;
};
