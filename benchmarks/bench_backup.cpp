// The backup made before a write (with the pruning after it), the listing of the backups window and a restore, on a
// database of 5,000 components, 10,000 products and 200,000 recipe lines.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_backup.
#include "benchmarks/BenchDatabase.h"
#include "database/Backup.h"
#include "database/Database.h"

#include <benchmark/benchmark.h>

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

} // namespace

int main(int argc, char** argv) {
    MakeBenchDatabase("brivane-bench-backup");
    DatabaseFileName = "Products.db3";
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
