// "Copy to a SQLite file..": the data, whatever holds it, as a database file of the user's choosing that the
// program opens like its own Products.db3.
#pragma once

#include "database/Database.h"

#include <string>

// Writes a consistent copy of db's data to fileName: on a file page by page with SQLite's online backup, on a
// server every table read in one read-only transaction into a new file made from schema.sql. fileName is
// written as a TTextFile writes its text: the same refusals (not a regular file, databaseFile itself, a file this
// user may not write), and the file is replaced only once the copy is whole and checked; until then, and after
// any failure, it keeps what it held. Throws Exception "Cannot write <fileName>: <why>".
void CopyDataToFile(TDatabase& db, const std::string& fileName, const std::string& databaseFile = {});
