// Refreshes of the product list beside another program that writes every 50 ms and holds its lock 20 ms
// each time: how many fail with SQLite's busy error, without waiting for locks and with the program's wait.
// Prints the counts; run by hand from the build folder: benchmarks/bench_locks
#include "database/Products.h"
#include "database/SQLiteDatabase.h"

#include <sqlite3.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::chrono_literals;

void Shell(const std::string& command) {
    if (std::system(command.c_str()) != 0)
        std::fprintf(stderr, "failed: %s\n", command.c_str());
}

// The other program: a write transaction every 50 ms that holds the lock for 20 ms, until killed.
[[noreturn]] void Writer() {
    sqlite3* db = nullptr;
    sqlite3_open(DatabaseFileName.c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    for (;;) {
        const auto start = std::chrono::steady_clock::now();
        sqlite3_exec(db, "BEGIN IMMEDIATE; UPDATE Materials SET Date = CURRENT_DATE WHERE Comp_ID = 1;", nullptr,
                     nullptr, nullptr);
        std::this_thread::sleep_for(20ms);
        sqlite3_exec(db, "COMMIT;", nullptr, nullptr, nullptr);
        std::this_thread::sleep_until(start + 50ms);
    }
}

int Refreshes(bool wait) {
    int errors = 0;
    for (int i = 0; i < 40; ++i) {
        try {
            InOpenDatabase([wait] {
                if (!wait)
                    sqlite3_busy_handler(SQLiteHandle(Database), nullptr, nullptr);
                InTransaction(Database, [] {
                    RecomputeProducts(Database);
                    LoadProductList(Database, [](void*, int, char**, char**) { return 0; });
                });
            });
        } catch (const ESQLite3& e) {
            ++errors;
        }
        std::this_thread::sleep_for(37ms);
    }
    return errors;
}

} // namespace

int main() {
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "brivane-bench-locks";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    Shell("sqlite3 Products.db3 < " BRIVANE_SOURCE_DIR
          "/database/schema.sql && sqlite3 Products.db3 < " BRIVANE_SOURCE_DIR "/database/sample_data.sql");
    DatabaseFileName = "Products.db3";
    const pid_t writer = fork();
    if (writer == 0)
        Writer();
    std::this_thread::sleep_for(100ms);
    const int before = Refreshes(false);
    const int after = Refreshes(true);
    kill(writer, SIGKILL);
    waitpid(writer, nullptr, 0);
    std::printf("Refreshes failed with a busy error, of 40: without waiting %d, with the %d ms wait %d\n", before,
                LockWaitMilliseconds, after);
    return 0;
}
