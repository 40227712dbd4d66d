// main() of a benchmark that needs the window classes: settings and pictures in a scratch
// home of their own, no screen, and one QApplication around the benchmarks.
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

inline int RunWindowBenchmarks(int argc, char** argv) {
    const std::filesystem::path home = std::filesystem::temp_directory_path() / "fotolark-bench-home";
    std::filesystem::create_directories(home);
    setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
