#include "TestDatabase.h"

#include <sqlite3.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

TempDir::TempDir() : FPrevious(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "brivane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    FPath = pattern;
    fs::current_path(FPath);
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::current_path(FPrevious, ec);
    fs::remove_all(FPath, ec);
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    FPrevious = limit.rlim_cur;
    // Without this the write would end the process instead of failing.
    FSignal = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
        throw std::runtime_error("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = FPrevious;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, FSignal);
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

namespace {
struct Connection {
    sqlite3* db = nullptr;
    explicit Connection(const std::string& file) {
        if (sqlite3_open(file.c_str(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot open " + file);
    }
    ~Connection() { sqlite3_close(db); }
};

int CollectRow(void* data, int columns, char** values, char**) {
    auto& rows = *static_cast<std::vector<std::string>*>(data);
    std::string row;
    for (int c = 0; c < columns; ++c) {
        if (c)
            row += '|';
        row += values[c] ? values[c] : "<null>";
    }
    rows.push_back(row);
    return 0;
}
} // namespace

void RunSql(const std::string& sql, const std::string& file) {
    Connection c(file);
    char* error = nullptr;
    if (sqlite3_exec(c.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("SQL failed: " + text + " in " + sql.substr(0, 200));
    }
}

void CreateDatabase(const std::string& file, bool withSample) {
    RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "schema.sql"), file);
    if (withSample)
        RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "sample_data.sql"), file);
}

std::vector<std::string> QueryRows(const std::string& sql, const std::string& file) {
    Connection c(file);
    std::vector<std::string> rows;
    char* error = nullptr;
    if (sqlite3_exec(c.db, sql.c_str(), CollectRow, &rows, &error) != SQLITE_OK) {
        std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("query failed: " + text);
    }
    return rows;
}

std::string QueryValue(const std::string& sql, const std::string& file) {
    const auto rows = QueryRows(sql, file);
    if (rows.empty())
        return "<none>";
    const auto bar = rows.front().find('|');
    return bar == std::string::npos ? rows.front() : rows.front().substr(0, bar);
}

std::vector<std::string> DumpDatabase(const std::string& file) {
    std::vector<std::string> dump = QueryRows("SELECT type, name, sql FROM sqlite_master ORDER BY name;", file);
    for (const std::string& table :
         QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;", file))
        for (const std::string& row : QueryRows("SELECT * FROM \"" + table + "\" ORDER BY rowid;", file))
            dump.push_back(table + ": " + row);
    return dump;
}

namespace {
std::string CurrentDate() {
    return QueryValue("SELECT CURRENT_DATE;", ":memory:");
}

void ReplaceAll(std::string& text, const std::string& what, const std::string& with) {
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
}
} // namespace

Today::Today() : FBefore(CurrentDate()) {}

std::string Today::Mark(std::string text) const {
    return Mark(std::vector<std::string>{std::move(text)}).front();
}

std::vector<std::string> Today::Mark(std::vector<std::string> rows) const {
    const std::string after = CurrentDate();
    for (std::string& row : rows) {
        ReplaceAll(row, FBefore, "TODAY");
        ReplaceAll(row, after, "TODAY");
    }
    return rows;
}
