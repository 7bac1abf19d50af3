// bench_mpdll: every benchmark group, run with Google Benchmark's options
// (the suite script asks for JSON output and reads the counters).
#include <benchmark/benchmark.h>

#include "suites/suites.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    mpbench::register_round_trips();
    mpbench::register_growth();
    mpbench::register_operations();
    mpbench::register_idle();
    mpbench::register_log_handler();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
