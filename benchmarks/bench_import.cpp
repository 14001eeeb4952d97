// The import of a price list of 5,000 lines against the database of the list benchmarks (5,000 components,
// 10,000 products, 200,000 recipe lines): reading the file, the preview (matching, the comparison and the
// impact on the products), the window filled with it, and Apply in its one transaction.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_import.
#include "benchmarks/BenchDatabase.h"
#include "controls/Grids.h"
#include "database/Database.h"
#include "database/PriceListImport.h"
#include "forms/PriceImport.h"
#include "text/PriceList.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const Pristine = "Pristine.db3";
const char* const ListFile = "prices.csv";

// A supplier's list as a spreadsheet saves it: a header, then every component in mixed case with a decimal
// comma; every fifth price unchanged, the others up by a few percent.
void MakeFiles() {
    // The list benchmarks' database, kept pristine: every Apply starts from a copy of it.
    const auto dir = std::filesystem::temp_directory_path() / "brivane-bench-import";
    if (!std::filesystem::exists(dir / Pristine))
        std::filesystem::remove(dir / "Products.db3");
    MakeBenchDatabase("brivane-bench-import");
    if (!std::filesystem::exists(Pristine))
        std::filesystem::copy_file("Products.db3", Pristine);
    std::ofstream list(ListFile, std::ios::binary);
    list << "Component;Price/kg;Unit\r\n";
    for (int i = 1; i <= 5000; ++i) {
        double price = (i % 997) * 1.37 + 0.25;
        if (i % 5)
            price *= 1.03;
        char line[96];
        std::snprintf(line, sizeof line, "Component %05d of the list;%.2f;kg\r\n", i, price);
        std::string text = line;
        text[text.find('.')] = ',';
        list << text;
    }
}

void FreshDatabase() {
    std::filesystem::copy_file(Pristine, "Products.db3", std::filesystem::copy_options::overwrite_existing);
}

// As the program does it, on a connection of its own.
TImportPreview Preview() {
    return PreviewPriceImport(ReadPriceList(ListFile));
}

void ReadFile(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadPriceList(ListFile));
}

void PreviewInDatabase(benchmark::State& state) {
    FreshDatabase();
    std::size_t changes = 0;
    std::size_t products = 0;
    for (auto _ : state) {
        const TImportPreview preview = Preview();
        changes = preview.Changes.size();
        products = preview.Products.size();
    }
    state.counters["changes"] = static_cast<double>(changes);
    state.counters["products"] = static_cast<double>(products);
}

// What the user waits for between choosing the file and seeing the window's lists.
void PreviewWindow(benchmark::State& state) {
    FreshDatabase();
    for (auto _ : state) {
        TPriceImport window;
        window.Fill(ListFile, Preview());
        window.ChangesGrid->Sync();
        window.SkippedGrid->Sync();
        window.Products->ProductsGrid->Sync();
        state.PauseTiming();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void Apply(benchmark::State& state) {
    FreshDatabase();
    std::vector<TNewPrice> prices;
    for (const TPriceChange& change : Preview().Changes)
        prices.push_back({change.CompId, change.New});
    int changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        state.ResumeTiming();
        InOpenDatabase([&] { changed = ApplyPriceImport(Database, prices); });
    }
    state.counters["changed"] = changed;
}

} // namespace

BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewInDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(Apply)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DatabaseFileName = "Products.db3";
    MakeFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
