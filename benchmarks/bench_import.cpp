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

#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace {

const char* const Pristine = "Pristine.db3";
const char* const ListFile = "prices.csv";
const char* const JunkFile = "junk.csv";

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

// 50 MB of lines that name no component, most of them a few letters long (the most lines a file of that
// size can hold), some with a number field, empty fields or a stray quote: a wrong file chosen by mistake.
void MakeJunkFile() {
    if (std::filesystem::exists(JunkFile) && std::filesystem::file_size(JunkFile) == PriceListMaxBytes)
        return;
    std::mt19937 random(23);
    std::string text;
    text.reserve(PriceListMaxBytes + 64);
    while (text.size() < PriceListMaxBytes) {
        for (std::size_t n = 1 + random() % 3; n > 0; --n)
            text += static_cast<char>('a' + random() % 26);
        switch (random() % 16) {
        case 0:
            text.append(";").append(std::to_string(random() % 100)).append(",").append(std::to_string(random() % 10));
            break;
        case 1:
            text += ";;";
            break;
        case 2:
            text += "\";";
            break;
        default:
            break;
        }
        text += '\n';
    }
    text.resize(PriceListMaxBytes);
    std::ofstream(JunkFile, std::ios::binary) << text;
}

void FreshDatabase() {
    std::filesystem::copy_file(Pristine, "Products.db3", std::filesystem::copy_options::overwrite_existing);
}

// As the program does it, on a connection of its own.
TImportPreview Preview(const char* file = ListFile) {
    const std::string bytes = ReadPriceListFile(file);
    return PreviewPriceImport([&](const std::function<void(const TPriceListLine&)>& line) {
        TPriceListLayout layout;
        ReadPriceLines(bytes, {}, layout, line);
        return layout;
    });
}

void ReadFile(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(ParsePriceList(ReadPriceListFile(ListFile)));
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
    const std::vector<TPriceChange> prices = Preview().Changes;
    int changed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        state.ResumeTiming();
        InOpenDatabase([&] { changed = ApplyPriceImport(Database, prices).Changed; });
    }
    state.counters["changed"] = changed;
}

// A wrong file of 50 MB chosen by mistake: read, previewed and shown, with the memory the process took at
// its peak.
void JunkList(benchmark::State& state) {
    FreshDatabase();
    MakeJunkFile();
    std::size_t skipped = 0;
    for (auto _ : state) {
        TPriceImport window;
        window.Fill(JunkFile, Preview(JunkFile));
        window.SkippedGrid->Sync();
        skipped = static_cast<std::size_t>(window.SkippedGrid->RowCount() - 2);
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["rows_listed"] = static_cast<double>(skipped);
    state.counters["peak_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

} // namespace

BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewInDatabase)->Unit(benchmark::kMillisecond);
BENCHMARK(PreviewWindow)->Unit(benchmark::kMillisecond);
BENCHMARK(Apply)->Unit(benchmark::kMillisecond);
// Alone in its run (--benchmark_filter=JunkList), so that the peak is its own.
BENCHMARK(JunkList)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    DatabaseFileName = "Products.db3";
    MakeFiles();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
