// The recomputation of the products on the 200,000-line database: a Refresh that changes nothing against the
// statement the program ran before (which rewrote every product at every Refresh), and the same Refresh on a
// copy with 90 premixes on 3 levels used by 1,000 products.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_premixes.
#include "benchmarks/BenchDatabase.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "database/Products.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

// Products 1 to 30 are premixes of the first level, 31 to 60 each use one of them in their first line, 61 to 90
// one of those; products 1001 to 2000 each use one of the third level.
const char* const Premixes =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90)"
    " INSERT INTO Materials (Comp_ID, Component, Price, Date) SELECT 5000 + i, printf('PRODUCT %05d BLEND', i), 1.0,"
    " '2024-05-01' FROM n;"
    "INSERT INTO Premixes (Comp_ID, Prod_ID) SELECT Comp_ID, Comp_ID - 5000 FROM Materials WHERE Comp_ID > 5000;"
    "UPDATE Recipes SET Comp_ID = 5000 + Prod_ID - 30 WHERE Prod_ID BETWEEN 31 AND 90 AND ID = (Prod_ID - 1) * 20 + 1;"
    "UPDATE Recipes SET Comp_ID = 5061 + Prod_ID % 30 WHERE Prod_ID BETWEEN 1001 AND 2000 AND ID = (Prod_ID - 1) * 20 "
    "+ 1;";

void Refresh() {
    InOpenDatabase([] {
        InTransaction(Database, [] {
            RecomputeProducts(Database);
            ClearUncomputedPrices(Database);
        });
    });
}

void Use(const char* folder, const char* extra) {
    MakeBenchDatabase(folder, extra);
    DatabaseFileName = "Products.db3";
    // Once computed, the next Refresh finds nothing to change.
    Refresh();
}

void FormerStatement(benchmark::State& state) {
    Use("brivane-bench", "");
    for (auto _ : state)
        InOpenDatabase([] {
            ExecStatements(Database, "BEGIN IMMEDIATE;");
            ExecStatements(Database, RecomputeProductsStatement());
            ExecStatements(Database, "COMMIT;");
        });
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size("Products.db3")) / 1e6;
}

void RefreshNothingChanged(benchmark::State& state) {
    Use("brivane-bench", "");
    for (auto _ : state)
        Refresh();
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size("Products.db3")) / 1e6;
}

void RefreshWithPremixes(benchmark::State& state) {
    Use("brivane-bench-premixes", Premixes);
    for (auto _ : state)
        Refresh();
    state.counters["file_MB"] = static_cast<double>(std::filesystem::file_size("Products.db3")) / 1e6;
}

} // namespace

BENCHMARK(FormerStatement)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(RefreshNothingChanged)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(RefreshWithPremixes)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(FormerStatement)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(RefreshNothingChanged)->Unit(benchmark::kMillisecond)->MinTime(3);

BENCHMARK_MAIN();
