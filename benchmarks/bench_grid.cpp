// Loading a list into a grid the way the row loaders do: one SetCells per column and one more row per
// result row, then the view catches up once. The time per row should not grow with the list.
#include "controls/Grids.h"
#include "QtBenchmarkMain.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <string>

static void LoadRows(benchmark::State& state) {
    const int rows = static_cast<int>(state.range(0));
    TStringGrid grid;
    grid.resize(321, 361);
    grid.show();
    for (auto _ : state) {
        grid.SetRowCount(2);
        grid.Sync();
        int current = 1;
        for (int r = 0; r < rows; ++r) {
            grid.SetCells(0, current, "COMPONENT NUMBER " + std::to_string(r));
            grid.SetCells(1, current, "   12.50");
            ++current;
            grid.SetRowCount(grid.RowCount() + 1);
        }
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(LoadRows)->Arg(100)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
