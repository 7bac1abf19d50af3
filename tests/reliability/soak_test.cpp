// Soak: many open/command/close cycles per transport, and many failed opens,
// must leave the process holding what it held before: the same open files
// (sockets, ports), the same named objects (semaphores) and no more
// heap. MPDLL_SOAK_CYCLES and MPDLL_SOAK_FAILED_OPENS set the counts (the
// `make soak` run uses 2000 and 200; `make test` a few).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "figures.h"
#include "mpdll/mpdll.h"
#include "process_counters.h"
#include "support/board_under_test.h"
#include "support/loopback_port.h"
#include "support/stopwatch.h"

namespace mpdll::reliability {
namespace {

using namespace test;  // the board under test, its transports and the stopwatch

constexpr int kWarmUpCycles = 3;  // first-use allocations of the library and the board
constexpr long long kHeapSlackBytes = 64 * 1024;

int count_from_environment(const char* name, int fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

void record_soak(const std::string& what, int cycles, int failures, const ProcessCounters& before,
                 const ProcessCounters& after, double seconds) {
    record_figure("soak", what + "\t" + std::to_string(cycles) + "\t" + std::to_string(failures) + "\t" +
                              std::to_string(before.openFiles) + "\t" + std::to_string(after.openFiles) + "\t" +
                              std::to_string(before.namedObjects) + "\t" + std::to_string(after.namedObjects) + "\t" +
                              std::to_string(before.heapBytes) + "\t" + std::to_string(after.heapBytes) + "\t" +
                              std::to_string(before.residentKb) + "\t" + std::to_string(after.residentKb) + "\t" +
                              std::to_string(seconds));
}

void expect_nothing_held(const ProcessCounters& before, const ProcessCounters& after) {
    EXPECT_EQ(after.openFiles, before.openFiles) << "before: " << before.describe() << "; after: " << after.describe();
    EXPECT_EQ(after.namedObjects, before.namedObjects)
        << "before: " << before.describe() << "; after: " << after.describe();
    EXPECT_LE(after.heapBytes - before.heapBytes, kHeapSlackBytes)
        << "before: " << before.describe() << "; after: " << after.describe();
}

class Soak : public ::testing::TestWithParam<Transport> {};

TEST_P(Soak, OpenCommandCloseCyclesLeaveNothingBehind) {
    const int cycles = count_from_environment("MPDLL_SOAK_CYCLES", 20);
    BoardUnderTest board(GetParam());
    auto dev = board.record();
    const std::int32_t mode = dev->mode;
    auto cycle = [&] {
        dev->mode = mode;
        if (OpenDev(dev.get()) != MPDLL_OK) return false;
        char value[16384] = {};
        const bool answered = FlashGet(dev.get(), "XCAP", value) == MPDLL_OK && std::strcmp(value, "32") == 0;
        return CloseDev(dev.get(), board.close_mask()) == MPDLL_OK && answered;
    };
    for (int i = 0; i < kWarmUpCycles; ++i) ASSERT_TRUE(cycle()) << "warm-up cycle " << i;
    board.board().clear_commands();
    const ProcessCounters before = settled_counters();

    const Stopwatch clock;
    int failures = 0;
    for (int i = 0; i < cycles; ++i) {
        failures += cycle() ? 0 : 1;
        if (i % 100 == 99) board.board().clear_commands();  // the board's own log of lines
    }
    const double seconds = clock.seconds();
    board.board().clear_commands();
    const ProcessCounters after = settled_counters();
    record_soak(std::string(transport_name(GetParam())) + " open/command/close", cycles, failures, before, after,
                seconds);
    EXPECT_EQ(failures, 0) << "of " << cycles << " cycles";
    expect_nothing_held(before, after);
}

INSTANTIATE_TEST_SUITE_P(Transports, Soak, ::testing::Values(Transport::telnet, Transport::udp, Transport::serial),
                         [](const auto& info) { return std::string(transport_name(info.param)); });

TEST(SoakFailedOpens, RefusedConnectionsMissingPortsAndRefusedLoginsLeaveNothingBehind) {
    const int opens = count_from_environment("MPDLL_SOAK_FAILED_OPENS", 10);
    mpboard::Options refusing = quick_board();
    refusing.faults.refuse_login = true;
    BoardUnderTest board(Transport::telnet, refusing);

    auto refusedLogin = board.record();
    auto refusedConnection = board.record();
    const std::string nowhere = "127.0.0.1:" + std::to_string(test::unused_loopback_port());
    std::memset(refusedConnection->ipText, 0, sizeof refusedConnection->ipText);
    std::memcpy(refusedConnection->ipText, nowhere.data(), nowhere.size());
    auto missingPort = board.record();
    missingPort->mode = MPDLL_MODE_SERIAL;
    missingPort->portName = "/dev/mpdll-no-such-port";
    struct Kind {
        const char* name;
        DevContext* dev;
        std::int32_t mode;
    };
    const Kind kinds[] = {{"telnet connection refused", refusedConnection.get(), MPDLL_MODE_TELNET},
                          {"serial port missing", missingPort.get(), MPDLL_MODE_SERIAL},
                          {"telnet login refused", refusedLogin.get(), MPDLL_MODE_TELNET}};

    for (const Kind& kind : kinds) {
        kind.dev->mode = kind.mode;
        ASSERT_EQ(OpenDev(kind.dev), MPDLL_E_OPEN) << kind.name << " (warm-up)";
    }
    const ProcessCounters before = settled_counters();
    for (const Kind& kind : kinds) {
        const Stopwatch clock;
        int wrong = 0;
        for (int i = 0; i < opens; ++i) {
            kind.dev->mode = kind.mode;
            wrong += OpenDev(kind.dev) == MPDLL_E_OPEN ? 0 : 1;
        }
        EXPECT_EQ(wrong, 0) << kind.name << ": opens that did not fail with -30006";
        const ProcessCounters now = settled_counters();
        record_soak(std::string("failed open: ") + kind.name, opens, wrong, before, now, clock.seconds());
    }
    expect_nothing_held(before, settled_counters());
}

}  // namespace
}  // namespace mpdll::reliability
