// Command round trips with zero think time: the library's SendCommand beside
// a raw client sending the same bytes to the same simulated board. The raw
// client and the library take turns command by command, so machine load
// falls on both alike; each publishes its own counters (raw_*, lib_*).
#include <benchmark/benchmark.h>

#include <cstring>

#include "suites/suites.h"
#include "support/bench_boards.h"
#include "support/counting_sockets.h"
#include "support/latency_samples.h"

namespace mpbench {
namespace {

constexpr double kMinSeconds = 1.0;

long library_exchange(LibrarySession& session) {
    return session.send(kCommand) == MPDLL_OK ? static_cast<long>(std::strlen(session.response())) : -1;
}

// One raw exchange and one library exchange per iteration, which goes first
// changing every iteration.
template <class Raw, class Library>
void alternate(benchmark::State& state, Raw raw, Library library) {
    LatencySamples rawSamples, libSamples;
    long rawBytes = 0, libBytes = 0;
    bool rawFirst = true;
    for (auto _ : state) {
        if (rawFirst) rawBytes = timed(rawSamples, raw);
        libBytes = timed(libSamples, library);
        if (!rawFirst) rawBytes = timed(rawSamples, raw);
        rawFirst = !rawFirst;
        if (rawBytes < 0 || libBytes < 0) {
            state.SkipWithError(rawBytes < 0 ? "raw exchange failed" : "library exchange failed");
            break;
        }
    }
    rawSamples.publish(state, "raw_");
    libSamples.publish(state, "lib_");
    state.counters["answer_bytes"] = static_cast<double>(rawBytes);
}

void telnet_pair(benchmark::State& state, Writes writes) {
    SharedBoard& board = shared_board(writes);
    RawTelnetClient* raw = raw_telnet(board, true);
    LibrarySession* lib = library_telnet(board);
    if (!raw || !lib) {
        state.SkipWithError(!raw ? "raw telnet login failed" : "OpenDev over telnet failed");
        return;
    }
    ReceiveCounter libReceives;
    long rawReads = 0;
    alternate(
        state,
        [&] {
            const long bytes = raw->round_trip(kCommand);
            rawReads += raw->last_reads();
            return bytes;
        },
        [&] { return library_exchange(*lib); });
    const double commands = state.iterations() > 0 ? static_cast<double>(state.iterations()) : 1;
    state.counters["raw_reads"] = static_cast<double>(rawReads) / commands;
    state.counters["lib_reads"] = static_cast<double>(libReceives.receives()) / commands;
}

// The raw client with the system's default (delayed) ACKs, alone.
void telnet_default_ack(benchmark::State& state, Writes writes) {
    RawTelnetClient* raw = raw_telnet(shared_board(writes), false);
    if (!raw) {
        state.SkipWithError("raw telnet login failed");
        return;
    }
    LatencySamples samples;
    for (auto _ : state) {
        if (timed(samples, [&] { return raw->round_trip(kCommand); }) < 0) {
            state.SkipWithError("raw exchange failed");
            break;
        }
    }
    samples.publish(state, "raw_");
}

void udp_pair(benchmark::State& state) {
    SharedBoard& board = shared_board(Writes::nagle);
    RawUdpClient* raw = raw_udp(board);
    LibrarySession* lib = library_udp(board);
    if (!raw || !lib) {
        state.SkipWithError("UDP set-up failed");
        return;
    }
    alternate(
        state, [&] { return raw->round_trip(kCommand); }, [&] { return library_exchange(*lib); });
}

// The console port allows one opener at a time, so the raw client and the
// library take turns in blocks: the library's port is opened once, and the
// raw client's around each of its commands would distort it; instead each
// runs a block of commands while the other's port is closed.
void serial_pair(benchmark::State& state, bool immediateReads) {
    SharedBoard& board = shared_board(Writes::nagle);
    const std::string path = board.simulator->serial_path();
    LatencySamples rawSamples, libSamples;
    constexpr int kBlock = 10;
    long rawBytes = 0;
    int turn = 0;
    std::unique_ptr<RawPtyClient> raw;
    std::unique_ptr<LibrarySession> lib;
    for (auto _ : state) {
        const bool rawTurn = (turn++ / kBlock) % 2 == 0;
        state.PauseTiming();
        if (rawTurn && !raw) {
            lib.reset();
            raw = std::make_unique<RawPtyClient>(path, kPrompt);
        } else if (!rawTurn && !lib) {
            raw.reset();
            lib = LibrarySession::serial(path, immediateReads);
        }
        state.ResumeTiming();
        long bytes = rawTurn ? (raw->is_open() ? timed(rawSamples, [&] { return raw->round_trip(kCommand); }) : -1)
                             : (lib->is_open() ? timed(libSamples, [&] { return library_exchange(*lib); }) : -1);
        if (bytes < 0) {
            state.SkipWithError(rawTurn ? "raw pty exchange failed" : "library serial exchange failed");
            break;
        }
        if (rawTurn) rawBytes = bytes;
    }
    rawSamples.publish(state, "raw_");
    libSamples.publish(state, "lib_");
    state.counters["answer_bytes"] = static_cast<double>(rawBytes);
}

}  // namespace

void register_round_trips() {
    benchmark::RegisterBenchmark("round_trip/telnet_nagle", telnet_pair, Writes::nagle)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/telnet_single_write", telnet_pair, Writes::single)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/telnet_nagle_default_ack", telnet_default_ack, Writes::nagle)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/telnet_single_write_default_ack", telnet_default_ack, Writes::single)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/udp", udp_pair)->UseRealTime()->MinTime(kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/serial", serial_pair, false)->UseRealTime()->MinTime(2 * kMinSeconds);
    benchmark::RegisterBenchmark("round_trip/serial_immediate_reads", serial_pair, true)
        ->UseRealTime()
        ->MinTime(kMinSeconds);
}

}  // namespace mpbench
