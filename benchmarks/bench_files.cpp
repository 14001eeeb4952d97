// The files the program reads whole and the notes it shows: a help file of 20,000 unclosed topic tags, a help
// topic of 16 MB, and production notes of 10 MB in ordinary lines or in one line, opened and saved through the
// notes window as the user does it.
// Run by hand: cmake -DBRIVANE_BENCHMARKS=ON -DCMAKE_BUILD_TYPE=Release, then build/benchmarks/bench_files.
#include "controls/StdCtrls.h"
#include "database/Database.h"
#include "forms/MAIN.h"
#include "forms/Production.h"
#include "forms/Windows.h"
#include "platform/Application.h"
#include "platform/HelpViewer.h"

#include <QApplication>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

const char* const Schema = BRIVANE_SOURCE_DIR "/database/schema.sql";

std::string ReadAll(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Products whose notes are 10 MB of lines of 72 characters, 1 MB and 10 MB of one line without blanks.
void MakeFiles() {
    const auto dir = std::filesystem::temp_directory_path() / "brivane-bench-files";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::filesystem::current_path(dir);
    DatabaseFileName = "Products.db3";
    InOpenDatabase([] {
        ExecStatements(Database, ReadAll(Schema));
        ExecStatements(
            Database,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 140000)"
            " INSERT INTO Products (Prod_ID, Product, Solids) SELECT 1, 'LINES 10 MB',"
            " group_concat(printf('%06d Stir the batch slowly at 40 C and keep it covered while it cools.', i),"
            " char(13, 10)) FROM n;"
            "INSERT INTO Products (Prod_ID, Product, Solids) VALUES (2, 'ONE LINE 1 MB', printf('%.*c', 1048576, 'x')),"
            " (3, 'ONE LINE 10 MB', printf('%.*c', 10485760, 'x'));");
    });

    // Topic 4 first, then 20,000 unclosed topic tags; and a file whose one topic is 16 MB less a little.
    std::ofstream unclosed("unclosed.hlp", std::ios::binary);
    unclosed << "<html><body><section id=\"context-4\"><h1>Components</h1><p>Text.</p></section>";
    for (int i = 0; i < 20000; ++i)
        unclosed << "<section id=\"context-" << 100 + i << "\"><h1>Open " << i << "</h1>";
    unclosed << "</body></html>";
    std::ofstream large("large.hlp", std::ios::binary);
    large << "<html><body><section id=\"context-4\"><h1>Large</h1>";
    const std::string paragraph = "<p>" + std::string(96, 'w') + "</p>\n";
    for (std::size_t size = 0; size + paragraph.size() < HelpFileLimit - 100; size += paragraph.size())
        large << paragraph;
    large << "</section></body></html>";
}

void HelpOfUnclosedTopics(benchmark::State& state) {
    for (auto _ : state)
        ShowHelp("unclosed.hlp", 4);
    if (HelpViewer()->TopicTitle() != "Components")
        state.SkipWithError("topic not found");
}

void HelpOfSixteenMegabytes(benchmark::State& state) {
    for (auto _ : state) {
        ShowHelp("large.hlp", 4);
        QApplication::processEvents();
    }
    if (HelpViewer()->TopicTitle() != "Large")
        state.SkipWithError("topic not found");
}

// The window shown with the product's notes and painted once.
void Open(const std::string& product) {
    Form1->Edit1->SetText(product);
    Form2->show();
    QApplication::processEvents();
}

void OpenNotes(benchmark::State& state, const std::string& product) {
    for (auto _ : state) {
        Open(product);
        state.PauseTiming();
        Form2->hide();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["read-only"] = Form2->Memo->isReadOnly();
}

// One line added at the end, and the window closed: the notes are stored.
void OpenEditSave(benchmark::State& state) {
    for (auto _ : state) {
        Open("LINES 10 MB");
        Form2->Memo->moveCursor(QTextCursor::End);
        Form2->Memo->insertPlainText("\nAdded.");
        Form2->hide();
        QApplication::processEvents();
    }
}

void OpenLines(benchmark::State& s) {
    OpenNotes(s, "LINES 10 MB");
}
void OpenOneLine1MB(benchmark::State& s) {
    OpenNotes(s, "ONE LINE 1 MB");
}
void OpenOneLine10MB(benchmark::State& s) {
    OpenNotes(s, "ONE LINE 10 MB");
}

} // namespace

BENCHMARK(HelpOfUnclosedTopics)->Unit(benchmark::kMillisecond);
BENCHMARK(HelpOfSixteenMegabytes)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenLines)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenEditSave)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenOneLine1MB)->Unit(benchmark::kMillisecond);
BENCHMARK(OpenOneLine10MB)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MakeFiles();
    CreateWindows();
    Form1->show();
    QApplication::processEvents();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    Application.DestroyForms();
    return 0;
}
