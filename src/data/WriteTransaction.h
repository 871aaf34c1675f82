#pragma once

#include "data/DbAccess.h"

#include <initializer_list>
#include <utility>
#include <vector>

// A write of many rows that may be spread over several turns of the event loop: one transaction
// on the given connection, begun when the object is made and rolled back when it goes
// without Commit (a cancel, a failure), so that the database is as it was. Nothing else may write
// while it is open. Failures throw EDBException with the batch headline.
class TWriteTransaction final
{
public:
    explicit TWriteTransaction(TDbAccess& dbAccess);
    ~TWriteTransaction();
    TWriteTransaction(const TWriteTransaction&) = delete;
    TWriteTransaction& operator=(const TWriteTransaction&) = delete;

    // Runs a statement without rows, kept prepared for this transaction (the text must be a
    // string literal: it is known by its address), with the values bound in order.
    void Run(const char* sql, std::initializer_list<TDbAccess::TBound> values);
    void Commit();

private:
    sqlite3* FConnection = nullptr;
    bool FOpen = false;
    TPrepared FPrepared; // kept for this transaction
};
