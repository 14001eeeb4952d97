// The move of a team's data from a database file to an empty database on their server: the file checked
// first for what the server cannot hold, then every table copied in one transaction, or nothing. And the way
// back: the server's data copied into a new database file.
#pragma once

#include "database/Database.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct TCopyOutcome {
    // True only when every row of every table reached the server.
    bool Copied = false;
    // What cannot be carried or why the server's database was refused, a line each; nothing was copied then.
    std::vector<std::string> Problems;
    // The rows copied, table by table.
    std::vector<std::pair<std::string, std::int64_t>> Rows;
};

// Copies file (read-only; it stays as it is) into server, whose database must hold the tables of
// schema-postgresql.sql and no row yet. Failures of either connection raise Exception; nothing is copied then.
TCopyOutcome CopyFileToServer(const std::string& file, TDatabase& server);

// A table's key counter and the numbers a file's own counter had handed out for it.
using THandedOut = std::vector<std::pair<std::string, std::int64_t>>;
// Moves the key counter of each of the server's tables past every number that any table holds for its kind of
// record (the lists of Numbers.h), and past what handedOut gives for it, so a new record never takes a number
// that was used before. Run it in the transaction that gave rows their numbers.
void MoveKeyCounters(TDatabase& server, const THandedOut& handedOut = {});

// Makes file, which must not exist yet, a database file of schema.sql holding every row of every table of server, all
// read in one read-only transaction, so the copy is one state of the data however many colleagues write meanwhile.
// The numbers stay as they are; a new record in the file takes one above all of them, as in any file. Failures
// raise Exception; what was written of file is then the caller's to remove.
void CopyServerToFile(TDatabase& server, const std::string& file);
