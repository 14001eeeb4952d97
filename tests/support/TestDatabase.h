// Test support: a fresh temporary current directory, and database files made from the schema.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

// Makes a fresh temporary directory the current directory for its lifetime.
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
// Creates file from the schema, and from the sample data as well when withSample is set.
void CreateDatabase(const std::string& file = "Products.db3", bool withSample = false);
// Runs SQL on file through a connection of its own (as another program would).
void RunSql(const std::string& sql, const std::string& file = "Products.db3");
// Rows of a query on file, each row's columns joined by "|" (NULL as "<null>").
std::vector<std::string> QueryRows(const std::string& sql, const std::string& file = "Products.db3");
// Everything file holds: its schema, then every row of every table.
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
