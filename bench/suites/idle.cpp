// Idle cost: the CPU the calling thread burns while the library waits out
// its time-out for a board that never shows the prompt (telnet 5 to 6 s,
// serial 5 s). Measured with getrusage for the calling thread only, so the
// simulator's own threads do not count.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <memory>

#include "suites/suites.h"
#include "support/bench_boards.h"
#include "support/latency_samples.h"

namespace mpbench {
namespace {

double thread_rusage_ms() {
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    auto ms = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_usec) / 1e3;
    };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void silent_board(benchmark::State& state, bool serial) {
    SharedBoard& board = shared_board(Writes::nagle);
    std::unique_ptr<LibrarySession> session = serial ? LibrarySession::serial(board.simulator->serial_path(), false)
                                                     : LibrarySession::telnet(board.simulator->telnet_port());
    if (!session->is_open()) {
        state.SkipWithError("open failed");
        return;
    }
    mpboard::Faults faults;
    faults.no_prompt = true;
    board.simulator->set_faults(faults);
    double cpuMs = 0, wallMs = 0;
    int status = 0;
    for (auto _ : state) {
        const double cpu0 = thread_rusage_ms();
        const auto start = Clock::now();
        status = session->send(kCommand);
        wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        cpuMs = thread_rusage_ms() - cpu0;
    }
    board.simulator->set_faults(mpboard::Faults{});
    state.counters["wait_ms"] = wallMs;
    state.counters["cpu_ms"] = cpuMs;
    state.counters["cpu_pct"] = wallMs > 0 ? 100.0 * cpuMs / wallMs : 0;
    state.counters["status"] = status;
}

}  // namespace

void register_idle() {
    benchmark::RegisterBenchmark("idle/telnet_no_prompt", silent_board, false)
        ->UseRealTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("idle/serial_no_prompt", silent_board, true)
        ->UseRealTime()
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
}

}  // namespace mpbench
