// The program on a team's server against the same data in a file (5,000 components, 10,000 products, 200,000
// recipe lines): the product list's Refresh and a recipe's display, each on both; and, with --colleagues[=SECONDS],
// three colleagues at once for 30 s, two posting prices in a loop and one Refreshing, counting the errors and
// checking that every posted price is there afterwards.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_server. It starts
// a throw-away server of its own (scripts/test-server.sh) unless BRIVANE_BENCH_SERVER gives one's libpq keywords
// (without dbname); the data goes to a database brivane_bench there, made anew on each run.
#include "benchmarks/BenchDatabase.h"
#include "controls/Grids.h"
#include "database/Components.h"
#include "database/CopyToServer.h"
#include "database/Database.h"
#include "database/Prices.h"
#include "database/Products.h"
#include "forms/MAIN.h"
#include "forms/Windows.h"

#include <QApplication>

#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string ServerKeywords;
std::string StateFile;

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void StopServer() {
    if (!StateFile.empty())
        if (std::system(("bash " BRIVANE_SOURCE_DIR "/scripts/test-server.sh stop " + StateFile).c_str()) != 0)
            std::fprintf(stderr, "the benchmark's server could not be stopped\n");
}

// The server's keywords: the one named, or a throw-away one started for this run and stopped at its end.
std::string StartServer() {
    if (const char* named = std::getenv("BRIVANE_BENCH_SERVER"))
        return named;
    StateFile = (std::filesystem::temp_directory_path() / "brivane-bench-server.state").string();
    if (std::system(("bash " BRIVANE_SOURCE_DIR "/scripts/test-server.sh start " + StateFile).c_str()) != 0)
        throw std::runtime_error("no PostgreSQL server could be started");
    std::atexit(StopServer);
    std::istringstream state(ReadText(StateFile));
    std::string keywords;
    for (std::string line; std::getline(state, line);)
        if (!line.empty() && line[0] != '#')
            keywords = line;
    return keywords;
}

std::string BenchConnection() {
    return ServerKeywords + " dbname=brivane_bench";
}

// The benchmark file's data copied to a fresh database on the server, as brivane-copy-to-server copies it.
void MakeServerDatabase() {
    OpenPostgreSQLDatabase(ServerKeywords + " dbname=postgres")
        ->ExecStatements("DROP DATABASE IF EXISTS brivane_bench WITH (FORCE); CREATE DATABASE brivane_bench;");
    const auto server = OpenPostgreSQLDatabase(BenchConnection());
    server->ExecStatements(ReadText(BRIVANE_SOURCE_DIR "/database/schema-postgresql.sql"));
    const TCopyOutcome outcome = CopyFileToServer("Products.db3", *server);
    if (!outcome.Copied)
        throw std::runtime_error("the benchmark data could not be copied to the server");
    server->ExecStatements("VACUUM ANALYZE;");
}

void OnFile() {
    ChooseDatabase({});
}

void OnServer() {
    ChooseDatabase(ParseDatabaseChoice("postgresql:" + BenchConnection()));
}

// The handler with the grids told of the new rows, the event loop turning untimed between runs.
template <class Handler> void Program(benchmark::State& state, Handler handler) {
    for (auto _ : state) {
        handler();
        Form1->StringGrid1->Sync();
        Form1->StringGrid2->Sync();
        state.PauseTiming();
        Form1->update();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void Refresh(benchmark::State& s) {
    s.range(0) ? OnServer() : OnFile();
    Program(s, [] { Form1->Refresh1Click(); });
    OnFile();
}

void Recipe(benchmark::State& s) {
    s.range(0) ? OnServer() : OnFile();
    Form1->Refresh1Click();
    Form1->StringGrid1->SetRow(1);
    Program(s, [] { Form1->StringGrid1DblClick(); });
    OnFile();
}

// One colleague's work until the time is up, in a process of its own with its own connection: the number of
// actions done and of those that failed, and for a writer every price it posted, by component.
struct TColleague {
    int Actions = 0;
    int Errors = 0;
    std::string FirstError;
    std::map<std::string, std::vector<std::string>> Posted;
};

TColleague Work(int who, double seconds) {
    TColleague done;
    const auto db = OpenPostgreSQLDatabase(BenchConnection());
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (int i = 0; std::chrono::steady_clock::now() < end; ++i) {
        try {
            if (who == 2) {
                InTransaction(db.get(), [&] { RecomputeProducts(db.get()); });
                LoadProductList(db.get(), [](void*, int, char**, char**) { return 0; });
                (void)IncompletePrices(db.get());
            } else {
                // Each writer its own 50 components, a price never posted before on each post.
                char name[64];
                std::snprintf(name, sizeof name, "COMPONENT %05d OF THE LIST", 1 + who * 50 + i % 50);
                const std::string price = std::to_string(who + 1) + "." + std::to_string(100000 + i);
                // As Edit Materials posts: over the row as it was opened.
                const auto opened = ReadStoredComponent(db.get(), name);
                if (PostComponent(db.get(), {false, name, price, name, opened}).Outcome != TPostOutcome::Written)
                    throw std::runtime_error(std::string(name) + " was changed by someone else");
                done.Posted[name].push_back(price);
            }
            ++done.Actions;
        } catch (const std::exception& e) {
            ++done.Errors;
            if (done.FirstError.empty())
                done.FirstError = e.what();
        }
    }
    db->Close();
    return done;
}

// Three colleagues at once; then every price each writer posted must be the component's price (the last) or in
// its history (the ones before).
int Colleagues(double seconds) {
    std::vector<pid_t> children;
    std::vector<std::string> reports;
    for (int who = 0; who < 3; ++who) {
        const std::string report =
            (std::filesystem::temp_directory_path() / ("brivane-colleague-" + std::to_string(who))).string();
        reports.push_back(report);
        const pid_t child = fork();
        if (child == 0) {
            const TColleague done = Work(who, seconds);
            std::ofstream out(report, std::ios::binary | std::ios::trunc);
            out << done.Actions << "\n" << done.Errors << "\n" << done.FirstError << "\n";
            for (const auto& [name, prices] : done.Posted)
                for (const std::string& price : prices)
                    out << name << "\t" << price << "\n";
            out.close();
            _exit(0);
        }
        children.push_back(child);
    }
    for (const pid_t child : children)
        waitpid(child, nullptr, 0);
    const auto db = OpenPostgreSQLDatabase(BenchConnection());
    int missing = 0;
    int wrongLast = 0;
    int posts = 0;
    int errors = 0;
    const char* const roles[] = {"prices A", "prices B", "Refresh"};
    for (int who = 0; who < 3; ++who) {
        std::istringstream in(ReadText(reports[who]));
        std::string actions, failed, first;
        std::getline(in, actions);
        std::getline(in, failed);
        std::getline(in, first);
        errors += std::stoi(failed);
        std::printf("%-9s %6s actions, %s errors%s%s\n", roles[who], actions.c_str(), failed.c_str(),
                    first.empty() ? "" : ": ", first.c_str());
        std::map<std::string, std::vector<std::string>> posted;
        for (std::string line; std::getline(in, line);) {
            const std::size_t tab = line.find('\t');
            posted[line.substr(0, tab)].push_back(line.substr(tab + 1));
            ++posts;
        }
        for (const auto& [name, prices] : posted) {
            std::map<double, int> kept;
            ForEachRow(db.get(),
                       "SELECT H.Price FROM PriceHistory H JOIN Materials M ON M.Comp_ID = H.Comp_ID WHERE "
                       "M.Component = ? UNION ALL SELECT Price FROM Materials WHERE Component = ?;",
                       {name, name}, [&kept](const TResultRow& row) { ++kept[std::stod(std::string(row.Text(0)))]; });
            for (const std::string& price : prices)
                if (kept[std::stod(price)] == 0)
                    ++missing;
            const auto now = QueryFirst(db.get(), "SELECT Price FROM Materials WHERE Component = ?;", {name});
            if (!now || std::stod(*now) != std::stod(prices.back()))
                ++wrongLast;
        }
    }
    std::printf("%.0f s: %d prices posted, %d errors, %d posted prices missing, %d components not at their last "
                "posted price\n",
                seconds, posts, errors, missing, wrongLast);
    return errors == 0 && missing == 0 && wrongLast == 0 ? 0 : 1;
}

} // namespace

BENCHMARK(Refresh)->Arg(0)->Arg(1)->ArgName("server")->Unit(benchmark::kMillisecond);
BENCHMARK(Recipe)->Arg(0)->Arg(1)->ArgName("server")->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    double colleagues = 0;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--colleagues")
            colleagues = 30;
        else if (arg.rfind("--colleagues=", 0) == 0)
            colleagues = std::stod(arg.substr(13));
    }
    MakeBenchDatabase("brivane-bench");
    ServerKeywords = StartServer();
    MakeServerDatabase();
    // The colleagues first, before any window exists: each is a process of its own.
    if (colleagues > 0)
        return Colleagues(colleagues);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    CreateWindows();
    Form1->show();
    QApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
