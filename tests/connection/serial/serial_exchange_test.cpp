// The serial path over a pseudo-terminal: the library opens the slave by
// its path, the test plays the board on the master side.
#include <gtest/gtest.h>

#include <poll.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <thread>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/pseudo_terminal.h"
#include "support/stopwatch.h"
#include "text/buffer_sizes.h"

namespace {

double thread_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// The board end of a pseudo-terminal.
using PtyBoard = mpdll::test::PseudoTerminal;
using mpdll::test::serial_record;

std::string last_received() {
    char sent[16], received[mpdll::kResponseSize];
    GetBuffer(nullptr, sent, sizeof sent, received, sizeof received);
    return received;
}

TEST(SerialExchange, CommandAndAnswerOverThePort) {
    PtyBoard board;
    ASSERT_FALSE(board.path().empty());
    std::string line;
    board.play([&](PtyBoard& b) {
        line = b.read_line();
        b.write("iwpriv wlan0 mp_ther\r\nwlan0     mp_ther:31\r\n# ");
    });
    auto dev = serial_record(board.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_EQ(dev->openFlags, static_cast<uint32_t>(MPDLL_MODE_SERIAL));
    char response[128];
    EXPECT_EQ(SendCommand(dev.get(), "iwpriv wlan0 mp_ther", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_STREQ(response, "\r\nwlan0     mp_ther:31\r\n");
    EXPECT_EQ(line, "iwpriv wlan0 mp_ther\r");
    EXPECT_EQ(last_received(), "iwpriv wlan0 mp_ther\r\nwlan0     mp_ther:31\r\n# ");
    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_SERIAL), MPDLL_OK);
    EXPECT_EQ(dev->mode, 0);
}

TEST(SerialExchange, PromptSplitAcrossTwoReadsIsFound) {
    PtyBoard board;
    board.play([](PtyBoard& b) {
        b.read_line();
        b.write("ls\r\nbin etc\r\nroot@bo");
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // longer than the 100 ms read interval
        b.write("ard# ");
    });
    auto dev = serial_record(board.path(), "root@board# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char response[128];
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(dev.get(), "ls", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 2.0);
    EXPECT_STREQ(response, "\r\nbin etc\r\n");
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

TEST(SerialExchange, NoPromptFailsAfter5000msWithoutSpinning) {
    PtyBoard board;
    board.play([](PtyBoard& b) {
        b.read_line();
        b.write("reboot\r\nrebooting\r\n");
    });
    auto dev = serial_record(board.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char response[128];
    const mpdll::test::Stopwatch clock;
    const double cpuBefore = thread_cpu_seconds();
    EXPECT_EQ(SendCommand(dev.get(), "reboot", response, sizeof response, 0, 0), MPDLL_E_SERIAL_TIMEOUT);
    const double elapsed = clock.seconds();
    EXPECT_GE(elapsed, 4.95);
    EXPECT_LT(elapsed, 5.6);
    EXPECT_LT(thread_cpu_seconds() - cpuBefore, 0.25) << "below 5 % of one core over the 5 s";
    EXPECT_STREQ(response, "");
    EXPECT_EQ(last_received(), "") << "a timed-out receive leaves lastReceived as SendCommand cleared it";
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

TEST(SerialExchange, QuietWaitTakesTheFirstBurstWithoutThePrompt) {
    PtyBoard board;
    auto dev = serial_record(board.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    board.play([](PtyBoard& b) { b.write("Welcome\r\nlogin: "); });
    char buffer[64] = "stale text";
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SerialRcv(dev.get(), buffer, sizeof buffer, nullptr, MPDLL_WAIT_QUIET), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 2.0);
    EXPECT_STREQ(buffer, "Welcome\r\nlogin: ") << "the burst replaces what the buffer held";
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

struct ReceivedCountCase {
    const char* name;
    int32_t wait;
    std::string said;
};

void PrintTo(const ReceivedCountCase& c, std::ostream* os) { *os << c.name; }

class SerialReceiveCount : public ::testing::TestWithParam<ReceivedCountCase> {};

TEST_P(SerialReceiveCount, TheCountOfBytesReadIsStored) {
    const ReceivedCountCase& c = GetParam();
    PtyBoard board;
    auto dev = serial_record(board.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    board.play([&](PtyBoard& b) { b.write(c.said); });
    char buffer[64] = {};
    int32_t count = -1;
    EXPECT_EQ(SerialRcv(dev.get(), buffer, sizeof buffer, &count, c.wait), MPDLL_OK);
    EXPECT_EQ(buffer, c.said);
    EXPECT_EQ(count, static_cast<int32_t>(c.said.size()));
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

INSTANTIATE_TEST_SUITE_P(Waits, SerialReceiveCount,
                         ::testing::Values(ReceivedCountCase{"UntilThePrompt", 0, "wlan0     mp_ther:31\r\n# "},
                                           ReceivedCountCase{"QuietWait", MPDLL_WAIT_QUIET, "Welcome\r\nlogin: "}),
                         [](const ::testing::TestParamInfo<ReceivedCountCase>& info) { return info.param.name; });

TEST(SerialExchange, EmptyLineIsOneCr) {
    PtyBoard board;
    std::string line;
    board.play([&](PtyBoard& b) { line = b.read_line(); });
    auto dev = serial_record(board.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_EQ(SerialSnd(dev.get(), "ignored", 0), MPDLL_OK);
    EXPECT_EQ(SerialSnd(dev.get(), "x", 2047), MPDLL_E_ARGUMENT);
    board.finish();
    EXPECT_EQ(line, "\r");
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

TEST(SerialExchange, PortThatCannotBeOpened) {
    const std::string path = "/nonexistent/ttyS9";
    auto dev = serial_record(path, "# ");
    dev->openFlags = MPDLL_MODE_SERIAL | MPDLL_MODE_UDP;
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
    EXPECT_EQ(dev->serialHandle, mpdll::platform::kInvalidHandle);
    EXPECT_EQ(dev->openFlags, static_cast<uint32_t>(MPDLL_MODE_UDP));
    dev->portName = nullptr;
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_E_OPEN);
}

}  // namespace
