// bench_command_loop: the library's side of the side-by-side runs. Opens one
// board connection through the library, runs the same command N times with
// zero think time and prints one JSON line: per-command median and 99th
// percentile, commands per second, and the process's peak resident memory
// (VmHWM) after the open and after the loop.
//
//   bench_command_loop (--telnet PORT | --udp PORT | --serial PATH [--immediate-reads])
//                      [--count N] [--command TEXT] [--raw]
//
// --raw runs the raw telnet client (immediate ACKs) instead of the library,
// the baseline for the same process layout.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "support/latency_samples.h"
#include "support/library_session.h"
#include "support/process_resources.h"
#include "support/raw_clients.h"

namespace {

int usage(const char* program) {
    std::fprintf(stderr,
                 "usage: %s (--telnet PORT | --udp PORT | --serial PATH [--immediate-reads]) [--count N] "
                 "[--command TEXT] [--raw]\n",
                 program);
    return 2;
}

void print_result(const char* transport, long count, long failures, const mpbench::LatencySamples& samples,
                  long rssBefore) {
    std::printf(
        "{\"transport\": \"%s\", \"count\": %ld, \"failures\": %ld, \"p50_us\": %.1f, \"p99_us\": %.1f, "
        "\"cmd_per_s\": %.1f, \"cpu_us\": %.2f, \"peak_rss_kib_before\": %ld, \"peak_rss_kib\": %ld}\n",
        transport, count, failures, samples.median_us(), samples.percentile_us(0.99), samples.commands_per_second(),
        samples.cpu_us_per_command(), rssBefore, mpbench::peak_resident_kib());
}

// Runs step count times, timing each call, then finish (before the peak
// memory is read) and prints the result; 0 when every step succeeded.
template <typename Step, typename Finish>
int timed_loop(const char* transport, long count, Step step, Finish finish) {
    const long rssBefore = mpbench::peak_resident_kib();
    mpbench::LatencySamples samples;
    samples.reserve(static_cast<std::size_t>(count));
    long failures = 0;
    for (long i = 0; i < count; ++i) {
        if (!mpbench::timed(samples, step)) ++failures;
    }
    finish();
    print_result(transport, count, failures, samples, rssBefore);
    return failures == 0 ? 0 : 1;
}

int run_raw_telnet(int port, long count, const std::string& command) {
    mpbench::RawTelnetClient client(port, true);
    if (!client.login(mpbench::kUser, mpbench::kPassword, mpbench::kPrompt)) {
        std::printf("{\"error\": \"raw telnet login failed\"}\n");
        return 1;
    }
    return timed_loop(
        "raw_telnet", count, [&] { return client.round_trip(command) >= 0; }, [] {});
}

}  // namespace

int main(int argc, char** argv) {
    std::string transport, target, command = mpbench::kCommand;
    bool immediateReads = false, raw = false;
    long count = 1000;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if ((arg == "--telnet" || arg == "--udp" || arg == "--serial") && hasValue) {
            transport = arg.substr(2);
            target = argv[++i];
        } else if (arg == "--count" && hasValue) {
            count = std::strtol(argv[++i], nullptr, 10);
        } else if (arg == "--command" && hasValue) {
            command = argv[++i];
        } else if (arg == "--immediate-reads") {
            immediateReads = true;
        } else if (arg == "--raw") {
            raw = true;
        } else {
            return usage(argv[0]);
        }
    }
    if (transport.empty() || count < 0 || (raw && transport != "telnet")) return usage(argv[0]);
    if (raw) return run_raw_telnet(std::atoi(target.c_str()), count, command);

    std::unique_ptr<mpbench::LibrarySession> session =
        transport == "telnet" ? mpbench::LibrarySession::telnet(std::atoi(target.c_str()))
        : transport == "udp"  ? mpbench::LibrarySession::udp(std::atoi(target.c_str()))
                              : mpbench::LibrarySession::serial(target, immediateReads);
    if (!session->is_open()) {
        std::printf("{\"error\": \"OpenDev returned %d\"}\n", session->open_result());
        return 1;
    }
    return timed_loop(
        transport.c_str(), count, [&] { return session->send(command.c_str()) == MPDLL_OK; }, [&] { session.reset(); });
}
