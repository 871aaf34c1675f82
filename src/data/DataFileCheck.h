#pragma once

#include <QString>

// Checks made once at start, before the database is opened.
namespace DataFileCheck {

// Why the program could not write the database: the file itself, its folder (where the engine
// keeps its journal) or a journal left beside it that may not be written. The text names the
// file, the system's reason and what the user can do; empty when all can be written or when
// the database does not exist (opening it reports that).
QString WriteProblem(const QString& database);

// Removes staged copies "<database>.XXXXXX", and the engine's journals of them, that a restore
// or a re-encryption ending in a crash left beside the database (or beside a copy of it). Only the
// one program that holds the data file may call it.
void RemoveStagedLeftovers(const QString& database);

// Takes away the rights of others (group and world) to the database and its journal, which hold
// the user's notes and addresses. Files of another owner are left as they are.
void TightenModes(const QString& database);

} // namespace DataFileCheck
