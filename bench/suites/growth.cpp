// Growth with the answer: round trips over telnet for answers of 100 B to
// 16 KiB, and for one answer arriving in 1, 10 or 100 chunks, library and
// raw client taking turns. The caller's CPU time per command (cpu_us) shows
// the library's own work apart from the board's; it must grow linearly
// with the bytes and the chunks.
#include <benchmark/benchmark.h>

#include <cstring>

#include "suites/suites.h"
#include "support/bench_boards.h"
#include "support/counting_sockets.h"
#include "support/latency_samples.h"

namespace mpbench {
namespace {

constexpr double kMinSeconds = 0.5;

// The filler the board puts before each answer (the answer holds the echo,
// the counters and the prompt besides).
constexpr long kAnswerBytes[] = {100, 1024, 8192, 16384};
// One answer (8 KiB of filler and the usual lines) cut into chunks. The
// board pauses between chunks so that they arrive as separate reads: it is
// asked for 2 ms because its pause timer rounds down to whole milliseconds
// (a 1 ms pause does not pause at all).
constexpr long kChunkedFiller = 8192;
constexpr long kChunkCounts[] = {1, 10, 100};
constexpr int kChunkPauseMs = 2;

void measure(benchmark::State& state, SharedBoard& board, const mpboard::Faults& faults) {
    RawTelnetClient* raw = raw_telnet(board, true);
    LibrarySession* lib = library_telnet(board);
    if (!raw || !lib) {
        state.SkipWithError("telnet set-up failed");
        return;
    }
    board.simulator->set_faults(faults);
    LatencySamples rawSamples, libSamples;
    ReceiveCounter libReceives;
    long rawBytes = 0, rawReads = 0, libBytes = 0;
    for (auto _ : state) {
        rawBytes = timed(rawSamples, [&] { return raw->round_trip(kCommand); });
        rawReads += raw->last_reads();
        const int status = timed(libSamples, [&] { return lib->send(kCommand); });
        if (rawBytes < 0 || status != MPDLL_OK) {
            state.SkipWithError(rawBytes < 0 ? "raw exchange failed" : "library exchange failed");
            break;
        }
        libBytes = static_cast<long>(std::strlen(lib->response()));
    }
    board.simulator->set_faults(mpboard::Faults{});
    const double commands = static_cast<double>(rawSamples.count() ? rawSamples.count() : 1);
    rawSamples.publish(state, "raw_");
    libSamples.publish(state, "lib_");
    state.counters["answer_bytes"] = static_cast<double>(rawBytes);
    state.counters["lib_response_bytes"] = static_cast<double>(libBytes);
    state.counters["raw_reads"] = static_cast<double>(rawReads) / commands;
    state.counters["lib_reads"] = static_cast<double>(libReceives.receives()) / commands;
}

void by_size(benchmark::State& state) {
    mpboard::Faults faults;
    faults.flood_bytes = static_cast<std::size_t>(state.range(0));
    measure(state, shared_board(Writes::nagle), faults);
}

void by_chunks(benchmark::State& state) {
    SharedBoard& board = shared_board(Writes::single);
    RawTelnetClient* raw = raw_telnet(board, true);
    mpboard::Faults faults;
    faults.flood_bytes = static_cast<std::size_t>(kChunkedFiller);
    board.simulator->set_faults(faults);
    // The whole answer: the filler plus the echo, the counters and the prompt.
    const long answer = raw ? raw->round_trip(kCommand) : -1;
    if (answer <= 0) {
        state.SkipWithError("raw telnet set-up failed");
        return;
    }
    const long chunks = state.range(0);
    faults.chunk_size = static_cast<int>((answer + chunks - 1) / chunks);
    faults.chunk_delay_ms = chunks > 1 ? kChunkPauseMs : 0;
    measure(state, board, faults);
    state.counters["chunks"] = static_cast<double>(chunks);
}

}  // namespace

void register_growth() {
    auto* size = benchmark::RegisterBenchmark("growth/answer_bytes", by_size);
    for (long bytes : kAnswerBytes) size->Arg(bytes);
    size->UseRealTime()->MinTime(kMinSeconds);
    // 100 chunks with their pauses take a few hundred milliseconds.
    for (long count : kChunkCounts) {
        benchmark::RegisterBenchmark("growth/chunks", by_chunks)
            ->Arg(count)
            ->UseRealTime()
            ->Iterations(count >= 100 ? 15 : (count >= 10 ? 100 : 2000));
    }
}

}  // namespace mpbench
