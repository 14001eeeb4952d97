// Test support: a fresh temporary current directory, and databases made from the schema. A program that CTest
// runs a second time with BRIVANE_TEST_ENGINE=PostgreSQL works on the run's throw-away server instead of files:
// each database a test creates is a fresh one there, named after the file it stands for.
#pragma once

#include "database/Database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// True in the server pass.
bool OnServer();
// What this pass's engine gives: the file's text or the server's.
std::string ByEngine(const std::string& file, const std::string& server);
// A name held as Windows-1252 bytes in a file, as the same letters in UTF-8 on a server, which holds valid UTF-8
// only: text with each byte from 0xA0 on written in UTF-8 there.
std::string EightBit(const std::string& text);
// SQL giving the type of expression's value by SQLite's name ("real", "integer", "text", "null") on either engine.
std::string TypeOf(const std::string& expression);
// For tests of what only a file has (its locks, its bytes, a file that is no database).
#define SKIP_ON_SERVER()                                                                                               \
    if (OnServer())                                                                                                    \
    GTEST_SKIP() << "a test of the database file"

// Makes a fresh temporary directory the current directory for its lifetime; the server's databases made
// meanwhile are dropped at its end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& Path() const { return FPath; }

private:
    std::filesystem::path FPath;
    std::filesystem::path FPrevious;
};

// Lets this process write no file beyond bytes for its lifetime: a longer write fails with "File too large", the
// way a full disk fails, for any user and on any file system.
class FileSizeLimit {
public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long FPrevious;
    void (*FSignal)(int);
};

std::string ReadFile(const std::filesystem::path& path);
// The text work gives when run as an ordinary user: in a child dropped to user and group 65534 when the test runs as
// the superuser, whom permission bits do not stop.
std::string AsOrdinaryUser(const std::function<std::string()>& work);
// Creates file from the schema, and from the sample data as well when withSample is set. On the server, a fresh
// database stands for the file, and the actions work on it when file is "Products.db3" or DatabaseFileName.
void CreateDatabase(const std::string& file = "Products.db3", bool withSample = false);
// The connection keywords of the server's database that stands for file (the server pass only).
std::string ServerConnection(const std::string& file = "Products.db3");
// A connection of its own to file's database, through the database layer.
std::unique_ptr<TDatabase> ConnectTo(const std::string& file = "Products.db3");
// Runs SQL on file through a connection of its own (as another program would). On the server, the key
// counters are then moved past the numbers the SQL gave, as a file's next rowid would be.
void RunSql(const std::string& sql, const std::string& file = "Products.db3");
// Rows of a query on file, each row's columns joined by "|" (NULL as "<null>").
std::vector<std::string> QueryRows(const std::string& sql, const std::string& file = "Products.db3");
// The rows of sql on db, as QueryRows gives them.
std::vector<std::string> RowsOf(TDatabase& db, const std::string& sql);
// Everything file holds: its schema, then every row of every table (on the server, rows in the order of their
// columns).
std::vector<std::string> DumpDatabase(const std::string& file = "Products.db3");
// The first column of the first row, or "<none>".
std::string QueryValue(const std::string& sql, const std::string& file = "Products.db3");

// "Today" for a test that may run across midnight: the database's CURRENT_DATE when made, before the action under
// test, and again when its outcome is marked, after it. The action wrote one of the two.
class Today {
public:
    Today();
    // text, or each row, with both days written as "TODAY".
    std::string Mark(std::string text) const;
    std::vector<std::string> Mark(std::vector<std::string> rows) const;

private:
    std::string FBefore;
};
