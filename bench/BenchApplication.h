#pragma once

// The Qt application of a benchmark program that draws, prints or makes widgets. It is made in
// `main` before the first benchmark and ends after the last one; what the benchmarks keep
// between runs (`Keep`) ends before it does. An application kept in a function-local static
// was destroyed at exit after Qt's own objects, and the program crashed on its way out.

#include <QByteArray>

#include <benchmark/benchmark.h>

#include <memory>
#include <utility>
#include <vector>

namespace bench {

inline std::vector<std::shared_ptr<void>>& KeptObjects() {
    static std::vector<std::shared_ptr<void>> kept;
    return kept;
}

// An object kept for the rest of the run, ended before the application.
template <class T, class... Args> T& Keep(Args&&... args) {
    auto object = std::make_shared<T>(std::forward<Args>(args)...);
    KeptObjects().push_back(object);
    return *object;
}

template <class Application> int RunWithApplication(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    Application application(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    KeptObjects().clear();
    return 0;
}

} // namespace bench

// The `main` of a benchmark program with a Qt application of the given class.
#define TARNWICK_BENCHMARK_MAIN(Application)                                                       \
    int main(int argc, char** argv) {                                                              \
        return bench::RunWithApplication<Application>(argc, argv);                                 \
    }
