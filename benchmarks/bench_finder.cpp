// Find as you type in Edit Recipe's component box over 5,000 names: the names are folded once when the list is
// loaded, and each keystroke ranks them again. Each keystroke should take well under 10 ms.
#include "controls/Finder.h"
#include "controls/StdCtrls.h"
#include "text/Finder.h"
#include "QtBenchmarkMain.h"

#include <QApplication>
#include <QLineEdit>

#include <benchmark/benchmark.h>

#include <array>
#include <string>
#include <vector>

namespace {

constexpr int Names = 5000;

// Names like a formulator's: a few words, some accented, each name apart by its number.
std::vector<std::string> ComponentNames() {
    const std::array<const char*, 12> first = {"ETHYL",  "MÉTHYL",  "BENZYL", "LINALYL", "GERANYL",  "CITRONELLYL",
                                               "PHÉNYL", "ISOAMYL", "HEXYL",  "ANISYL",  "CINNAMYL", "TERPINYL"};
    const std::array<const char*, 10> second = {"ACÉTATE", "BUTYRATE", "PROPIONATE", "ALCOHOL",  "ALDÉHYDE",
                                                "OIL",     "ESSENCE",  "SALICYLATE", "BENZOATE", "FORMATE"};
    std::vector<std::string> names;
    for (int i = 0; i < Names; ++i)
        names.push_back(std::string(first[static_cast<std::size_t>(i) % first.size()]) + " " +
                        second[static_cast<std::size_t>(i / 12) % second.size()] + " " + std::to_string(1000 + i));
    return names;
}

// The same 5,000 names as the benchmark database: every one holds the word typed.
std::vector<std::string> AlikeNames() {
    std::vector<std::string> names;
    for (int i = 1; i <= Names; ++i) {
        char name[40];
        std::snprintf(name, sizeof name, "COMPONENT %05d OF THE LIST", i);
        names.emplace_back(name);
    }
    return names;
}

const std::array<const char*, 6> Keystrokes = {"e", "et", "eth", "eth ", "eth a", "eth ac"};

void FoldOnLoad(benchmark::State& state) {
    const std::vector<std::string> names = ComponentNames();
    for (auto _ : state)
        benchmark::DoNotOptimize(TNameFinder(names));
}
BENCHMARK(FoldOnLoad)->Unit(benchmark::kMillisecond);

// One keystroke of "eth ac" after another, the folded names as loaded.
void FindPerKeystroke(benchmark::State& state) {
    const std::vector<std::string> names = state.range(0) ? AlikeNames() : ComponentNames();
    const TNameFinder finder(names);
    std::size_t key = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(finder.Find(Keystrokes[key], TComboFinder::MaxFound));
        key = (key + 1) % Keystrokes.size();
    }
    state.SetLabel(state.range(0) ? "5,000 alike names" : "5,000 names");
}
BENCHMARK(FindPerKeystroke)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The whole keystroke in the window: ranking, the list of names found and its showing under the field.
void KeystrokeInTheBox(benchmark::State& state) {
    TComboBox box;
    box.resize(241, 21);
    for (const std::string& name : ComponentNames())
        box.AddItem(name, "12.50/kg");
    box.Sync();
    TComboFinder finder(box);
    finder.Load();
    box.show();
    QApplication::processEvents();
    std::size_t key = 0;
    for (auto _ : state) {
        emit box.lineEdit()->textEdited(QString::fromUtf8(Keystrokes[key]));
        QApplication::processEvents();
        key = (key + 1) % Keystrokes.size();
    }
}
BENCHMARK(KeystrokeInTheBox)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return RunWidgetBenchmarks(argc, argv);
}
