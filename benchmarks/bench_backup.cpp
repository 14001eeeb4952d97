// The backup made before a write (with the pruning after it), the listing of the backups window, a restore and the
// copy to a file of the user's choosing, on a database of 5,000 components, 10,000 products and 200,000 recipe lines.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_backup.
// With BRIVANE_BENCH_DATABASE naming an empty database that holds schema-postgresql.sql (libpq keywords or a URI), the
// same data is copied there first and the copy to a file is measured from the server too.
#include "benchmarks/BenchDatabase.h"
#include "database/Backup.h"
#include "database/CopyToFile.h"
#include "database/CopyToServer.h"
#include "database/Database.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

void Backup(benchmark::State& state) {
    for (auto _ : state) {
        const auto made = MakeBackup(DatabaseFileName);
        PruneBackups(DatabaseFileName, {made});
    }
    state.counters["kB"] = static_cast<double>(fs::file_size(DatabaseFileName) / 1024);
}
BENCHMARK(Backup)->Unit(benchmark::kMillisecond);

// The ten backups the folder keeps, each opened to count its lists.
void List(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ListBackups(DatabaseFileName));
}
BENCHMARK(List)->Unit(benchmark::kMillisecond);

void Restore(benchmark::State& state) {
    const fs::path backup = ListBackups(DatabaseFileName).front().Path;
    for (auto _ : state)
        RestoreBackup(backup, DatabaseFileName);
}
BENCHMARK(Restore)->Unit(benchmark::kMillisecond);

void CopyFileToFile(benchmark::State& state) {
    const auto db = OpenSQLiteDatabase(DatabaseFileName);
    for (auto _ : state)
        CopyDataToFile(*db, "Copy.db3", DatabaseFileName);
    state.counters["kB"] = static_cast<double>(fs::file_size("Copy.db3") / 1024);
}
BENCHMARK(CopyFileToFile)->Unit(benchmark::kMillisecond);

void CopyServerToFile(benchmark::State& state) {
    const char* server = std::getenv("BRIVANE_BENCH_DATABASE");
    if (!server || !*server) {
        state.SkipWithError("BRIVANE_BENCH_DATABASE names no server");
        return;
    }
    const auto db = OpenPostgreSQLDatabase(server);
    if (QueryFirst(db.get(), "SELECT COUNT(*) FROM Recipes;") == "0")
        if (!CopyFileToServer(DatabaseFileName, *db).Copied)
            state.SkipWithError("the data could not be copied to the server");
    for (auto _ : state)
        CopyDataToFile(*db, "Copy.db3");
    state.counters["kB"] = static_cast<double>(fs::file_size("Copy.db3") / 1024);
}
BENCHMARK(CopyServerToFile)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    MakeBenchDatabase("brivane-bench-backup");
    DatabaseFileName = "Products.db3";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
