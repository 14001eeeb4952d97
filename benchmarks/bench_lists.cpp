// The list loads of the windows against SQLite running the same statements with a no-op callback in the
// same process, on a database of 5,000 components, 10,000 products and 200,000 recipe lines; the product
// list also on a copy in which 3 % of the components lack a price or were deleted (6,000 products flagged).
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_lists.
#include "benchmarks/BenchDatabase.h"
#include "controls/Grids.h"
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "database/Components.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "database/Recipes.h"
#include "forms/MAIN.h"
#include "forms/RecUnit.h"
#include "forms/Windows.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QTabWidget>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Of every hundred components one has no price, one the price 0 and one was deleted.
const char* const Incomplete = "UPDATE Materials SET Price = NULL WHERE Comp_ID % 100 = 1;"
                               "UPDATE Materials SET Price = 0 WHERE Comp_ID % 100 = 2;"
                               "DELETE FROM Materials WHERE Comp_ID % 100 = 3;";

const auto BenchDir = std::filesystem::temp_directory_path() / "brivane-bench";
const auto IncompleteDir = std::filesystem::temp_directory_path() / "brivane-bench-incomplete";

int NoOp(void*, int, char**, char**) {
    return 0;
}

// What SQLite alone takes: open, the statements with a no-op callback, close. The event loop turns
// between runs, untimed, as it does between the program's runs, so both start with the same caches.
void SqliteAlone(benchmark::State& state, const std::vector<std::string>& statements) {
    for (auto _ : state) {
        sqlite3* db = nullptr;
        sqlite3_open("Products.db3", &db);
        for (const auto& sql : statements)
            sqlite3_exec(db, sql.c_str(), NoOp, nullptr, nullptr);
        sqlite3_close(db);
        state.PauseTiming();
        Form1->update();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// The handler and, with range(0) = 1, the views told of the new rows as well; painting them is left out.
template <class Handler> void Program(benchmark::State& state, Handler handler) {
    const bool views = state.range(0) != 0;
    for (auto _ : state) {
        handler();
        if (!views)
            state.PauseTiming();
        Form1->StringGrid1->Sync();
        Form1->StringGrid2->Sync();
        Form1->StringGrid3->Sync();
        Rec->ComboBox1->Sync();
        if (views)
            state.PauseTiming();
        Form1->update();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

const std::string ComponentList = ComponentListQuery;
const std::string ProductList = ProductListQuery;
const std::string ComponentNames = ComponentNamesQuery;
const std::string RecipeOf = RecipeQuery("PRODUCT 00001 BLEND");

// The flags' statement with its one value written in, for SQLite alone.
const std::string RecipeFlags = [] {
    std::string query = NoPriceLinesQuery(TEngine::SQLite);
    return query.replace(query.find('?'), 1, "'PRODUCT 00001 BLEND'");
}();
// The product list's load: recomputation, list and flags in one transaction, then the first recipe.
const std::vector<std::string> ProductLoad = {"BEGIN IMMEDIATE;", RecomputeProductsStatement(),
                                              ProductList,        IncompletePricesQuery(TEngine::SQLite),
                                              "COMMIT;",          RecipeOf,
                                              RecipeFlags};

void SqliteComponentList(benchmark::State& s) {
    SqliteAlone(s, {ComponentList});
}
// The component list loads on its own tab, as the user sees it.
void ShowTab(QWidget* tab) {
    Form1->PageControl1->setCurrentWidget(tab);
    QApplication::processEvents();
}

void ProgramComponentList(benchmark::State& s) {
    ShowTab(Form1->COMPONENTS);
    Program(s, [] { Form1->Refresh2Click(); });
    ShowTab(Form1->PRODUCTS);
}
void SqliteProductList(benchmark::State& s) {
    SqliteAlone(s, ProductLoad);
}
void ProgramProductList(benchmark::State& s) {
    Program(s, [] { Form1->Refresh1Click(); });
}
// The same on the file with incomplete prices.
void SqliteIncompleteList(benchmark::State& s) {
    std::filesystem::current_path(IncompleteDir);
    SqliteAlone(s, ProductLoad);
    std::filesystem::current_path(BenchDir);
}
void ProgramIncompleteList(benchmark::State& s) {
    std::filesystem::current_path(IncompleteDir);
    Program(s, [] { Form1->Refresh1Click(); });
    std::filesystem::current_path(BenchDir);
}
void SqliteRecipe(benchmark::State& s) {
    SqliteAlone(s, {RecipeOf, RecipeFlags});
}
void ProgramRecipe(benchmark::State& s) {
    Program(s, [] { Form1->StringGrid1DblClick(); });
}
// The same in a main window wide enough for the lines' share, price and cost beside them.
void ProgramWideRecipe(benchmark::State& s) {
    const QSize given = Form1->size();
    Form1->resize(given.width() + 300, given.height());
    QApplication::processEvents();
    Program(s, [] { Form1->StringGrid1DblClick(); });
    Form1->resize(given);
    QApplication::processEvents();
}
void SqliteComponentChoice(benchmark::State& s) {
    SqliteAlone(s, {ComponentNames});
}
void ProgramComponentChoice(benchmark::State& s) {
    Program(s, [] { Rec->FormCreate(); });
}

// One keystroke's filter in the find field over the 10,000 products, after its pause: the typed words
// against the names folded at the load, the rows shown and the view told of them. The words match 1, 10,
// 1,000 and every product (range(0) 0 to 3); each keystroke starts from the whole list.
void ProgramFindKeystroke(benchmark::State& s) {
    const QString typed[] = {"blend 04711", "0471", "9 Blend", "prodúct"};
    Form1->FindClick();
    for (auto _ : s) {
        Form1->FindEdit->setText(typed[s.range(0)]);
        Form1->ApplyFind();
        Form1->StringGrid1->Sync();
        s.PauseTiming();
        QApplication::processEvents();
        Form1->FindEdit->setText({});
        Form1->ApplyFind();
        Form1->StringGrid1->Sync();
        QApplication::processEvents();
        s.ResumeTiming();
    }
    Form1->CloseFind();
}
// Opening the find field after a load: the 10,000 names folded once.
void ProgramFindOpen(benchmark::State& s) {
    for (auto _ : s) {
        s.PauseTiming();
        Form1->CloseFind();
        Form1->Refresh1Click();
        QApplication::processEvents();
        s.ResumeTiming();
        Form1->FindClick();
    }
    Form1->CloseFind();
}

} // namespace

BENCHMARK(ProgramFindKeystroke)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramFindOpen)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteComponentList)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramComponentList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteProductList)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramProductList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteIncompleteList)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramIncompleteList)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteRecipe)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramRecipe)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramWideRecipe)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(SqliteComponentChoice)->Unit(benchmark::kMillisecond);
BENCHMARK(ProgramComponentChoice)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MakeBenchDatabase("brivane-bench-incomplete", Incomplete);
    MakeBenchDatabase("brivane-bench");
    CreateWindows();
    Form1->show();
    QApplication::processEvents();
    Form1->StringGrid1->SetRow(1);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Application.DestroyForms();
    return 0;
}
