#pragma once

#include "data/Sqlite.h"

#include <QByteArray>

#include <initializer_list>
#include <utility>
#include <vector>

// Statements kept prepared on one connection for as long as it is open, each known by the address
// of its text (a string literal), run with values bound in order, each in a transaction of its
// own.
class TPrepared final
{
public:
    // A value for a statement: a number, or a text already in UTF-8, which is bound without a
    // further copy (it must outlive the call).
    class TBound
    {
    public:
        TBound(qint64 number) : FNumber(number) {}
        TBound(const QByteArray& utf8) : FText(&utf8) {}
        qint64 Number() const { return FNumber; }
        const QByteArray* Text() const { return FText; }

    private:
        qint64 FNumber = 0;
        const QByteArray* FText = nullptr;
    };

    explicit TPrepared(sqlite3* connection = nullptr) : FConnection(connection) {}

    // Works on another connection (or none); the statements of the old one are finalized.
    void Reset(sqlite3* connection);
    sqlite3* Connection() const { return FConnection; }

    // Returns field 0 of the first row as an integer (0 without rows) for a query, or the number
    // of rows changed for a write; failures throw EDBException with the query headline.
    qint64 Run(const char* sql, std::initializer_list<TBound> values);
    qint64 LastInsertRowId() const;

private:
    sqlite3* FConnection;
    std::vector<std::pair<const char*, TStatement>> FStatements;
};
