// The main of a benchmark that needs widgets: an application on the offscreen platform, then the benchmarks.
#pragma once

#include <QApplication>

#include <benchmark/benchmark.h>

inline int RunWidgetBenchmarks(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
