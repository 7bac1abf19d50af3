// bench_many_boards: the scale run of the suite. Opens N telnet boards at
// once through the library from this one process, so that their descriptor
// numbers run past 1024, then runs commands on all of them from a pool of
// threads (each thread goes round its own share of the boards, one command
// per board in turn) and closes them. Prints one JSON line: opens and their
// time, commands per second and per-command times, the process's CPU time
// per command, and its resident memory before the records, with the records
// filled, with every board open and after the commands.
//
//   bench_many_boards --ports PORT[,PORT...] [--boards N] [--threads T] [--rounds R]
//                     [--files F]
//
// The boards are spread over the given telnet ports (one simulator process
// each) in turn. Before anything is counted, each thread opens, uses and
// closes one board of its own, so that its stack and the library's
// process-wide state are already resident. Then the program holds F
// descriptors open (default 128, /dev/null), standing in for the station
// program's own files, logs and instruments, so that with 1,000 boards the
// later ones get descriptor numbers past 1024.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/latency_samples.h"
#include "support/library_session.h"
#include "support/process_resources.h"

namespace {

constexpr int kResponseSize = 16384;
constexpr std::uint32_t kCloseAll = MPDLL_MODE_UDP | MPDLL_MODE_TELNET | MPDLL_MODE_SERIAL;

struct Settings {
    std::vector<int> ports;
    int boards = 1000;
    int threads = 8;
    int rounds = 20;
    int files = 128;
};

// Runs work(thread, board) on `threads` threads, thread t taking boards t,
// t + threads, t + 2 * threads, ... in turn, `rounds` times over; returns
// the wall-clock seconds.
template <typename Work>
double on_pool(int threads, int boards, int rounds, Work work) {
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) {
        pool.emplace_back([=, &work] {
            for (int round = 0; round < rounds; ++round)
                for (int board = t; board < boards; board += threads) work(t, board);
        });
    }
    for (std::thread& thread : pool) thread.join();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

std::unique_ptr<DevContext> zeroed_record(int port) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    mpbench::fill_telnet_record(*dev, port);
    return dev;
}

double process_cpu_seconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + tv.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

bool parse(int argc, char** argv, Settings& settings) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        const char* value = argv[i + 1];
        if (option == "--ports") {
            std::stringstream list(value);
            for (std::string port; std::getline(list, port, ',');) settings.ports.push_back(std::atoi(port.c_str()));
        } else if (option == "--boards") {
            settings.boards = std::atoi(value);
        } else if (option == "--threads") {
            settings.threads = std::atoi(value);
        } else if (option == "--rounds") {
            settings.rounds = std::atoi(value);
        } else if (option == "--files") {
            settings.files = std::atoi(value);
        } else {
            return false;
        }
    }
    return argc % 2 == 1 && !settings.ports.empty() && settings.boards > 0 && settings.threads > 0 &&
           settings.rounds > 0 && settings.files >= 0;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    if (!parse(argc, argv, settings)) {
        std::fprintf(stderr, "usage: %s --ports PORT[,PORT...] [--boards N] [--threads T] [--rounds R] [--files F]\n",
                     argv[0]);
        return 2;
    }
    const int boards = settings.boards, threads = settings.threads;
    const auto port_of = [&](int board) {
        return settings.ports[static_cast<std::size_t>(board) % settings.ports.size()];
    };
    // Each board holds one socket; the files, the threads' warm-up boards
    // and the standard streams need more.
    const int descriptors = boards + settings.files + threads + 64;
    if (!mpbench::raise_descriptor_limit(descriptors)) {
        std::printf("{\"error\": \"the descriptor limit's hard value is below %d\"}\n", descriptors);
        return 1;
    }

    std::vector<std::unique_ptr<char[]>> responses;
    for (int t = 0; t < threads; ++t) responses.emplace_back(new char[kResponseSize]());
    std::atomic<int> warmUpFailures{0};
    on_pool(threads, threads, 1, [&](int t, int) {
        auto dev = zeroed_record(port_of(t));
        if (OpenDev(dev.get()) != MPDLL_OK ||
            SendCommand(dev.get(), mpbench::kCommand, responses[t].get(), kResponseSize, 0, 0) != MPDLL_OK)
            ++warmUpFailures;
        CloseDev(dev.get(), kCloseAll);
    });
    std::vector<int> files;
    for (int i = 0; i < settings.files; ++i) files.push_back(::open("/dev/null", O_RDONLY | O_CLOEXEC));
    const long rssStart = mpbench::resident_kib();

    std::vector<std::unique_ptr<DevContext>> records;
    for (int board = 0; board < boards; ++board) records.push_back(zeroed_record(port_of(board)));
    const long rssRecords = mpbench::resident_kib();

    std::atomic<int> openFailures{0}, highestDescriptor{-1}, past1024{0};
    const double openSeconds = on_pool(threads, boards, 1, [&](int, int board) {
        DevContext& dev = *records[static_cast<std::size_t>(board)];
        if (OpenDev(&dev) != MPDLL_OK) {
            ++openFailures;
            return;
        }
        if (dev.telnetSocket > 1024) ++past1024;
        int highest = highestDescriptor.load();
        while (dev.telnetSocket > highest && !highestDescriptor.compare_exchange_weak(highest, dev.telnetSocket)) {
        }
    });
    const long rssOpen = mpbench::resident_kib();

    std::vector<mpbench::LatencySamples> samples(static_cast<std::size_t>(threads));
    for (auto& share : samples) share.reserve(static_cast<std::size_t>(boards / threads + 1) * settings.rounds);
    std::atomic<long> commandFailures{0};
    const double cpuBefore = process_cpu_seconds();
    const double commandSeconds = on_pool(threads, boards, settings.rounds, [&](int t, int board) {
        DevContext& dev = *records[static_cast<std::size_t>(board)];
        if (dev.openFlags == 0) return;
        char* response = responses[static_cast<std::size_t>(t)].get();
        const bool answered = mpbench::timed(samples[static_cast<std::size_t>(t)], [&] {
            return SendCommand(&dev, mpbench::kCommand, response, kResponseSize, 0, 0) == MPDLL_OK &&
                   response[0] != '\0';
        });
        if (!answered) ++commandFailures;
    });
    const double cpuSeconds = process_cpu_seconds() - cpuBefore;
    const long rssCommands = mpbench::resident_kib();

    const double closeSeconds = on_pool(threads, boards, 1, [&](int, int board) {
        CloseDev(records[static_cast<std::size_t>(board)].get(), kCloseAll);
    });

    for (const int fd : files) ::close(fd);
    mpbench::LatencySamples all;
    for (const auto& share : samples) all.absorb(share);
    const double commands = static_cast<double>(all.count());
    std::printf(
        "{\"boards\": %d, \"hosts\": %zu, \"threads\": %d, \"rounds\": %d, \"warm_up_failures\": %d, "
        "\"files\": %d, \"open_failures\": %d, \"open_seconds\": %.3f, \"highest_descriptor\": %d, "
        "\"boards_past_1024\": %d, \"commands\": %zu, "
        "\"command_failures\": %ld, \"command_seconds\": %.3f, \"cmd_per_s\": %.1f, \"p50_us\": %.1f, "
        "\"p99_us\": %.1f, \"process_cpu_us\": %.2f, \"close_seconds\": %.3f, \"record_bytes\": %zu, "
        "\"rss_kib_start\": %ld, \"rss_kib_records\": %ld, \"rss_kib_open\": %ld, \"rss_kib_commands\": %ld, "
        "\"peak_rss_kib\": %ld}\n",
        boards, settings.ports.size(), threads, settings.rounds, warmUpFailures.load(), settings.files,
        openFailures.load(), openSeconds, highestDescriptor.load(), past1024.load(), all.count(),
        commandFailures.load(), commandSeconds, commandSeconds > 0 ? commands / commandSeconds : 0.0, all.median_us(),
        all.percentile_us(0.99), commands > 0 ? cpuSeconds * 1e6 / commands : 0.0, closeSeconds, sizeof(DevContext),
        rssStart, rssRecords, rssOpen, rssCommands, mpbench::peak_resident_kib());
    return openFailures == 0 && commandFailures == 0 && warmUpFailures == 0 ? 0 : 1;
}
