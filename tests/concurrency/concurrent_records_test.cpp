// Several records used at once from several threads, each against a board
// of its own (telnet, UDP and the serial console), many commands each: every
// answer must be that board's own, and GetBuffer, which reads the copies of
// the last exchange all records share, may run at any moment. Built with
// ThreadSanitizer by `make tsan`, which fails on any data race it sees.
#include <atomic>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"

namespace {

using mpdll::test::BoardSetup;
using mpdll::test::BoardUnderTest;
using mpdll::test::Transport;

constexpr int kCommandsPerThread = 60;

// Station records: the console line without binary mode, and a serial read
// that ends 10 ms after the last byte.
BoardSetup station_setup() {
    BoardSetup setup;
    setup.record.serial.binary = false;
    setup.record.serial.timeouts = MpCommTimeouts{10, 0, 0, 100, 500};
    return setup;
}

// One board and one record that reaches it.
struct Station {
    Station(Transport transport, int index)
        : value("v" + std::to_string(index * 1000 + 7)),
          bench(transport, mpboard::Options{}, station_setup()),
          board(&bench.board()),
          dev(bench.record()) {
        board->set_flash_value("STATION", value);
    }

    std::uint32_t mask() const { return bench.close_mask(); }

    std::string value;
    BoardUnderTest bench;
    mpboard::Simulator* board;  // bench's board
    std::unique_ptr<DevContext> dev;
};

// Runs the commands of one station; returns how many answers were wrong.
int run_station(Station& station, std::atomic<int>& unterminatedLogs) {
    int wrong = 0;
    DevContext* dev = station.dev.get();
    const std::uint32_t mask = station.mask();
    if (OpenDev(dev) != MPDLL_OK) return kCommandsPerThread;
    if (mp_start(dev) != MPDLL_OK) ++wrong;
    for (int i = 0; i < kCommandsPerThread; ++i) {
        char value[16384] = {};
        if (FlashGet(dev, "STATION", value) != MPDLL_OK || station.value != value) ++wrong;
        const std::string channel = std::to_string(1 + i % 11);
        if (mp_channel(dev, channel.c_str()) != MPDLL_OK) ++wrong;
        char sent[2048], received[16384];
        GetBuffer(dev, sent, sizeof sent, received, sizeof received);
        if (std::memchr(sent, 0, sizeof sent) == nullptr || std::memchr(received, 0, sizeof received) == nullptr)
            ++unterminatedLogs;
    }
    if (CloseDev(dev, mask) != MPDLL_OK) ++wrong;
    return wrong;
}

TEST(ConcurrentRecords, EachThreadGetsItsOwnBoardsAnswers) {
    const Transport plan[] = {Transport::telnet, Transport::telnet, Transport::udp, Transport::serial};
    std::vector<std::unique_ptr<Station>> stations;
    for (int i = 0; i < static_cast<int>(std::size(plan)); ++i) {
        stations.push_back(std::make_unique<Station>(plan[i], i));
    }
    std::vector<int> wrong(stations.size(), 0);
    std::atomic<int> unterminatedLogs{0};
    std::vector<std::thread> threads;
    for (std::size_t i = 0; i < stations.size(); ++i) {
        threads.emplace_back([&, i] { wrong[i] = run_station(*stations[i], unterminatedLogs); });
    }
    for (std::thread& thread : threads) thread.join();

    for (std::size_t i = 0; i < stations.size(); ++i) {
        EXPECT_EQ(wrong[i], 0) << "station " << i;
        // Every channel line reached this station's board and no other.
        int channelLines = 0;
        for (const std::string& line : stations[i]->board->commands()) {
            channelLines += line.rfind("iwpriv wlan0 mp_channel ", 0) == 0 ? 1 : 0;
        }
        EXPECT_EQ(channelLines, kCommandsPerThread) << "station " << i;
    }
    EXPECT_EQ(unterminatedLogs.load(), 0);
}

}  // namespace
