// The raw materials of a product of three premix levels and 300 recipe lines in the 200,000-line file: the
// window's whole load (the reads, the flattening, the grid) and the flattening alone.
#include "BenchDatabase.h"
#include "controls/Grids.h"
#include "database/Database.h"
#include "database/RawMaterials.h"
#include "forms/RawMaterials.h"

#include <QApplication>

#include <benchmark/benchmark.h>

namespace {

// Ten premixes of 10 lines, in five of 20 lines (two of them premixes), in a product of 100 lines (five of them
// premixes).
const char* const ThreeLevels =
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 15)"
    " INSERT INTO Products (Prod_ID, Product) SELECT 20000 + i, printf('PREMIX %02d', i) FROM n;"
    "INSERT INTO Products (Prod_ID, Product) VALUES (20020, 'THREE LEVEL PRODUCT');"
    "INSERT INTO Materials (Comp_ID, Component, Price) SELECT Prod_ID - 14000, Product, 1.0 FROM Products"
    " WHERE Prod_ID BETWEEN 20001 AND 20015;"
    "INSERT INTO Premixes (Comp_ID, Prod_ID) SELECT Prod_ID - 14000, Prod_ID FROM Products"
    " WHERE Prod_ID BETWEEN 20001 AND 20015;"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 100)"
    " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity)"
    " SELECT 20000 + (i - 1) / 10 + 1, (i * 37) % 5000 + 1, (i % 10) * 0.5 + 0.25 FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90)"
    " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity)"
    " SELECT 20010 + (i - 1) / 18 + 1, (i * 53) % 5000 + 1, (i % 7) * 1.5 + 0.5 FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 10)"
    " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 20010 + (i + 1) / 2, 6000 + i, 2.5 FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 95)"
    " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 20020, (i * 71) % 5000 + 1, (i % 9) * 0.75 + 0.5 FROM n;"
    "WITH RECURSIVE n(i) AS (SELECT 11 UNION ALL SELECT i + 1 FROM n WHERE i < 15)"
    " INSERT INTO Recipes (Prod_ID, Comp_ID, Quantity) SELECT 20020, 6000 + i, 12.5 FROM n;";

const char* const Product = "THREE LEVEL PRODUCT";

void Prepare() {
    MakeBenchDatabase("brivane-bench-raw-materials", ThreeLevels);
    DatabaseFileName = "Products.db3";
}

void RawMaterialsWindow(benchmark::State& state) {
    Prepare();
    TRawMaterials window;
    window.resize(640, 420);
    window.show();
    for (auto _ : state) {
        window.Load(Product);
        QApplication::processEvents();
    }
    state.counters["rows"] = window.RawGrid->RowCount() - 2;
}
BENCHMARK(RawMaterialsWindow)->Unit(benchmark::kMillisecond);

void Flattening(benchmark::State& state) {
    Prepare();
    std::size_t materials = 0;
    for (auto _ : state)
        InOpenDatabase([&] { materials = RawMaterialsOf(Database, Product).Materials.size(); });
    state.counters["materials"] = static_cast<double>(materials);
}
BENCHMARK(Flattening)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
