// What the log handler's hooks cost. SendCommand over telnet (the shared
// in-process Nagle board the round trips use) three ways in turn, command by
// command: with no handler set, again with no handler set (two like series:
// how far apart they come out is the noise of the measurement), and with a
// handler that only counts its events; with the 95 % interval of the first
// series' median. Then the hook one event passes with nobody listening, and
// the wrapper of an export, each beside the same loop without it (CPU time
// per pass: a tight loop on a shared machine).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string_view>

#include "connection/session_log.h"
#include "suites/suites.h"
#include "support/bench_boards.h"
#include "support/latency_samples.h"

namespace mpbench {
namespace {

constexpr double kMinSeconds = 2.0;

struct EventCount {
    long events = 0;
};

void MPDLL_CALL count_event(void* context, const DevContext*, int32_t, int32_t, const char*, int32_t, uint32_t) {
    ++static_cast<EventCount*>(context)->events;
}

void send_command_with_and_without_handler(benchmark::State& state) {
    LibrarySession* lib = library_telnet(shared_board(Writes::nagle));
    if (!lib) {
        state.SkipWithError("OpenDev over telnet failed");
        return;
    }
    enum Series { none, noneAgain, handler };
    std::array<LatencySamples, 3> samples;
    EventCount count;
    const auto exchange = [&] { return lib->send(kCommand); };
    int first = 0;
    for (auto _ : state) {
        int status = MPDLL_OK;
        for (int i = 0; i < 3 && status == MPDLL_OK; ++i) {
            const int series = (first + i) % 3;
            if (series == handler) MpdllSetLogHandler(count_event, &count);
            status = timed(samples[series], exchange);
            if (series == handler) MpdllSetLogHandler(nullptr, nullptr);
        }
        first = (first + 1) % 3;
        if (status != MPDLL_OK) {
            state.SkipWithError("SendCommand failed");
            break;
        }
    }
    // The 95 % confidence interval of the first series' median: the order
    // statistics n/2 -+ 1.96 sqrt(n)/2.
    const double halfWidth = 0.98 / std::sqrt(static_cast<double>(std::max<std::size_t>(samples[none].count(), 1)));
    state.counters["none_p50_low_us"] = samples[none].percentile_us(0.5 - halfWidth);
    state.counters["none_p50_high_us"] = samples[none].percentile_us(0.5 + halfWidth);
    samples[none].publish(state, "none_");
    samples[noneAgain].publish(state, "none_again_");
    samples[handler].publish(state, "handler_");
    const double commands = state.iterations() > 0 ? static_cast<double>(state.iterations()) : 1;
    state.counters["events_per_command"] = static_cast<double>(count.events) / commands;
}

// The hook each sent or received piece passes, with no handler and no
// recording: one relaxed load of the listening flag.
template <bool Hooked>
void event_hook(benchmark::State& state) {
    MpdllSetLogHandler(nullptr, nullptr);
    std::string_view bytes = kCommand;
    for (auto _ : state) {
        benchmark::DoNotOptimize(bytes);
        if constexpr (Hooked) mpdll::session_log::sent(bytes);
        benchmark::ClobberMemory();
    }
}

// The wrapper every export that talks to a board runs its body in.
template <bool Wrapped>
void export_wrapper(benchmark::State& state) {
    MpdllSetLogHandler(nullptr, nullptr);
    int value = 0;
    const auto body = [&]() -> std::int32_t {
        benchmark::DoNotOptimize(value);
        return value;
    };
    for (auto _ : state) {
        std::int32_t status;
        if constexpr (Wrapped)
            status = mpdll::session_log::logged_call(nullptr, "SendCommand", body);
        else
            status = body();
        benchmark::DoNotOptimize(status);
        benchmark::ClobberMemory();
    }
}

}  // namespace

void register_log_handler() {
    benchmark::RegisterBenchmark("log_handler/send_command", send_command_with_and_without_handler)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("log_handler/event_hook", event_hook<true>);
    benchmark::RegisterBenchmark("log_handler/event_loop_alone", event_hook<false>);
    benchmark::RegisterBenchmark("log_handler/export_wrapper", export_wrapper<true>);
    benchmark::RegisterBenchmark("log_handler/export_body_alone", export_wrapper<false>);
}

}  // namespace mpbench
