// The database file: a TDatabase on one SQLite connection.
#pragma once

#include "database/Database.h"

struct sqlite3;

class TSQLiteDatabase : public TDatabase {
public:
    // Opens file (creating an empty one when there is none, as SQLite does); locks held by another
    // connection are waited for up to LockWaitMilliseconds.
    explicit TSQLiteDatabase(const std::string& file);
    ~TSQLiteDatabase() override;
    TSQLiteDatabase(const TSQLiteDatabase&) = delete;
    TSQLiteDatabase& operator=(const TSQLiteDatabase&) = delete;

    TEngine Engine() const override { return TEngine::SQLite; }
    void ExecStatements(const std::string& sql) override;
    void ForEachRow(const std::string& sql, const TValues& values, const TRowFunction& row) override;
    void RunQuery(const std::string& sql, TRowLoader loader) override;
    int ChangedRows() override;
    bool HasTable(const std::string& name) override;
    void BeginWrite() override;
    void BeginRead() override;
    void Commit() override;
    void Rollback() noexcept override;
    std::string Where() const override { return FFile; }
    void Close() override;

    // The connection itself, for what only a file has (the online backup, tests of the engine).
    sqlite3* Handle() const { return FDb; }

private:
    sqlite3* FDb = nullptr;
    std::string FFile;
};

// The same as on a TDatabase, on a connection of the file's own (the backups open theirs read-only).
void ForEachRow(sqlite3* db, const std::string& sql, const TRowFunction& row);
std::optional<std::string> QueryFirst(sqlite3* db, const std::string& sql);
bool HasTable(sqlite3* db, const std::string& name);

// The SQLite connection behind db, or null when db is another engine's.
sqlite3* SQLiteHandle(TDatabase* db);
