#include "TestDatabase.h"

#include "database/CopyToServer.h"

#include <sqlite3.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <utility>

namespace fs = std::filesystem;

namespace {

// The server's databases that stand for the files of the test under way.
std::map<std::string, std::string> ServerDatabases;
int DatabasesMade = 0;

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

// The throw-away server's keywords, without a database: from the environment, or from the state file that the
// run's server fixture wrote.
std::string TestServer() {
    std::string server = Variable("BRIVANE_TEST_SERVER");
    if (server.empty()) {
        std::ifstream state(Variable("BRIVANE_TEST_SERVER_FILE"));
        for (std::string line; std::getline(state, line);)
            if (!line.empty() && line[0] != '#')
                server = line;
    }
    return server;
}

std::unique_ptr<TDatabase> Administration() {
    return OpenPostgreSQLDatabase(TestServer() + " dbname=postgres");
}

void DropServerDatabases() {
    if (ServerDatabases.empty())
        return;
    // The program's own connection goes first; the force ends any a test left open.
    ChooseDatabase({});
    const auto admin = Administration();
    for (const auto& [file, name] : ServerDatabases)
        admin->ExecStatements("DROP DATABASE IF EXISTS " + name + " WITH (FORCE);");
    ServerDatabases.clear();
}

// The server pass ends before its first test when there is no server to run on: skipped when the run was asked
// to go without one, failed otherwise.
class TServerPass : public ::testing::Environment {
public:
    void SetUp() override {
        if (!OnServer())
            return;
        if (Variable("BRIVANE_TEST_POSTGRESQL") == "OFF")
            GTEST_SKIP() << "BRIVANE_TEST_POSTGRESQL=OFF: no server pass";
        if (TestServer().empty())
            FAIL() << "no PostgreSQL test server: neither BRIVANE_TEST_SERVER nor the server fixture's state names one";
        try {
            Administration();
        } catch (const std::exception& e) {
            FAIL() << "no PostgreSQL test server: " << e.what();
        }
    }
};
[[maybe_unused]] ::testing::Environment* const ServerPass = ::testing::AddGlobalTestEnvironment(new TServerPass);

} // namespace

bool OnServer() {
    return Variable("BRIVANE_TEST_ENGINE") == "PostgreSQL";
}

std::string ByEngine(const std::string& file, const std::string& server) {
    return OnServer() ? server : file;
}

std::string EightBit(const std::string& text) {
    if (!OnServer())
        return text;
    std::string utf8;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0xA0) {
            utf8 += c;
            continue;
        }
        utf8 += static_cast<char>(0xC0 | (byte >> 6));
        utf8 += static_cast<char>(0x80 | (byte & 0x3F));
    }
    return utf8;
}

std::string TypeOf(const std::string& expression) {
    if (!OnServer())
        return "typeof(" + expression + ")";
    return "CASE WHEN (" + expression + ") IS NULL THEN 'null' ELSE CASE pg_typeof(" + expression +
           ")::text WHEN 'double precision' THEN 'real' WHEN 'bigint' THEN 'integer' WHEN 'integer' THEN 'integer' "
           "WHEN 'text' THEN 'text' ELSE pg_typeof(" +
           expression + ")::text END END";
}

TempDir::TempDir() : FPrevious(fs::current_path()) {
    std::string pattern = (fs::temp_directory_path() / "brivane-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a temporary directory");
    FPath = pattern;
    fs::current_path(FPath);
}

TempDir::~TempDir() {
    try {
        DropServerDatabases();
    } catch (const std::exception& e) {
        ADD_FAILURE() << "the test's databases on the server stay: " << e.what();
    }
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

std::string AsOrdinaryUser(const std::function<std::string()>& work) {
    if (geteuid() != 0)
        return work();
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0)
        return "no pipe";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        std::string message = "cannot drop to an ordinary user";
        if (setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0)
            message = work();
        const ssize_t written = write(pipeEnds[1], message.data(), message.size());
        _exit(written == static_cast<ssize_t>(message.size()) ? 0 : 1);
    }
    close(pipeEnds[1]);
    std::string message;
    char buffer[256];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, static_cast<std::size_t>(got));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? message : "the child failed: " + message;
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

std::string ServerConnection(const std::string& file) {
    const auto made = ServerDatabases.find(file);
    if (made == ServerDatabases.end())
        throw std::runtime_error("no database on the server stands for " + file + " yet");
    return TestServer() + " dbname=" + made->second;
}

std::unique_ptr<TDatabase> ConnectTo(const std::string& file) {
    return OnServer() ? OpenPostgreSQLDatabase(ServerConnection(file)) : OpenSQLiteDatabase(file);
}

void RunSql(const std::string& sql, const std::string& file) {
    if (OnServer()) {
        try {
            const auto db = ConnectTo(file);
            db->ExecStatements(sql);
            MoveKeyCounters(*db);
        } catch (const std::exception& e) {
            throw std::runtime_error(std::string("SQL failed: ") + e.what() + " in " + sql.substr(0, 200));
        }
        return;
    }
    Connection c(file);
    char* error = nullptr;
    if (sqlite3_exec(c.db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::string text = error ? error : "?";
        sqlite3_free(error);
        throw std::runtime_error("SQL failed: " + text + " in " + sql.substr(0, 200));
    }
}

void CreateDatabase(const std::string& file, bool withSample) {
    if (OnServer()) {
        const std::string name = "brivane_test_" + std::to_string(getpid()) + "_" + std::to_string(++DatabasesMade);
        const auto admin = Administration();
        if (const auto earlier = ServerDatabases.find(file); earlier != ServerDatabases.end())
            admin->ExecStatements("DROP DATABASE IF EXISTS " + earlier->second + " WITH (FORCE);");
        admin->ExecStatements("DROP DATABASE IF EXISTS " + name + " WITH (FORCE); CREATE DATABASE " + name + ";");
        ServerDatabases[file] = name;
        RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "schema-postgresql.sql"), file);
        if (withSample)
            RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "sample_data.sql"), file);
        if (file == "Products.db3" || file == DatabaseFileName)
            ChooseDatabase(ParseDatabaseChoice("postgresql:" + ServerConnection(file)));
        return;
    }
    RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "schema.sql"), file);
    if (withSample)
        RunSql(ReadFile(fs::path(BRIVANE_SOURCE_DIR) / "database" / "sample_data.sql"), file);
}

std::vector<std::string> RowsOf(TDatabase& db, const std::string& sql) {
    std::vector<std::string> rows;
    db.ForEachRow(sql, {}, [&rows](const TResultRow& result) {
        std::string row;
        for (int c = 0; c < result.Count(); ++c)
            row.append(c ? "|" : "").append(result.IsNull(c) ? "<null>" : std::string(result.Text(c)));
        rows.push_back(row);
    });
    return rows;
}

std::vector<std::string> QueryRows(const std::string& sql, const std::string& file) {
    if (OnServer())
        return RowsOf(*ConnectTo(file), sql);
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
    if (OnServer()) {
        std::vector<std::string> dump = QueryRows(
            "SELECT 'table', table_name, string_agg(column_name || ' ' || data_type, ', ' ORDER BY ordinal_position) "
            "FROM information_schema.columns WHERE table_schema = 'public' GROUP BY table_name "
            "UNION ALL SELECT 'view', viewname, definition FROM pg_views WHERE schemaname = 'public' "
            "UNION ALL SELECT 'index', indexname, indexdef FROM pg_indexes WHERE schemaname = 'public' ORDER BY 2, 1;",
            file);
        for (const std::string& table :
             QueryRows("SELECT tablename FROM pg_tables WHERE schemaname = 'public' ORDER BY tablename;", file)) {
            const std::string columns =
                QueryValue("SELECT string_agg(ordinal_position::text, ', ' ORDER BY ordinal_position) FROM "
                           "information_schema.columns WHERE table_schema = 'public' AND table_name = '" +
                               table + "';",
                           file);
            for (const std::string& row : QueryRows("SELECT * FROM " + table + " ORDER BY " + columns + ";", file))
                dump.push_back(table + ": " + row);
        }
        return dump;
    }
    std::vector<std::string> dump = QueryRows("SELECT type, name, sql FROM sqlite_master ORDER BY name;", file);
    for (const std::string& table :
         QueryRows("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name;", file))
        for (const std::string& row : QueryRows("SELECT * FROM \"" + table + "\" ORDER BY rowid;", file))
            dump.push_back(table + ": " + row);
    return dump;
}

namespace {
std::string CurrentDate() {
    if (OnServer())
        return RowsOf(*Administration(), "SELECT CURRENT_DATE;").at(0);
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
