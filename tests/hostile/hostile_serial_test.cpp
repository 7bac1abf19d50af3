// Hostile serial consoles: one that drips a byte every 90 ms and never shows
// the prompt, one that never takes what is written, and a port whose output
// queue never drains. Every call must end within its stated bound.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/pseudo_terminal.h"
#include "support/stopwatch.h"
#include "support/swapped_platform_ops.h"

namespace mpdll::test {
namespace {

constexpr double kReceiveLimit = 5.0;  // seconds after the requested waits

struct DripCase {
    const char* name;
    std::int32_t wait;
    std::int32_t status;
    double limitSeconds;  // the receive limit plus the waits SendCommand and the receive sleep
};
void PrintTo(const DripCase& c, std::ostream* os) { *os << c.name; }

class DrippingConsole : public ::testing::TestWithParam<DripCase> {};

TEST_P(DrippingConsole, TheReceiveEndsWithinItsBound) {
    const DripCase& c = GetParam();
    PseudoTerminal console;
    ASSERT_FALSE(console.path().empty());
    console.play([](PseudoTerminal& t) {
        t.read_line();
        while (!t.stopping()) {
            t.write("x");
            std::this_thread::sleep_for(std::chrono::milliseconds(90));
        }
    });
    auto dev = serial_record(console.path(), "# ");
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    char response[16384];
    const Stopwatch clock;
    const std::int32_t status = SendCommand(dev.get(), "iwpriv wlan0 mp_ther", response, sizeof response, 0, c.wait);
    const double seconds = clock.seconds();
    EXPECT_EQ(status, c.status);
    EXPECT_LE(seconds, c.limitSeconds + kSchedulingSlackSeconds);
    if (c.status == MPDLL_E_SERIAL_TIMEOUT) {
        EXPECT_GE(seconds, c.limitSeconds - kLibraryTickSeconds)
            << "the receive ended before its time without the prompt";
        EXPECT_STREQ(response, "");
    } else {
        EXPECT_EQ(std::string(response).find_first_not_of('x'), std::string::npos) << response;
        EXPECT_NE(response[0], '\0');
    }
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

INSTANTIATE_TEST_SUITE_P(Waits, DrippingConsole,
                         ::testing::Values(DripCase{"NoWait", 0, MPDLL_E_SERIAL_TIMEOUT, kReceiveLimit},
                                           DripCase{"RequestedWait", 250, MPDLL_E_SERIAL_TIMEOUT, kReceiveLimit + 0.5},
                                           DripCase{"QuietWait", MPDLL_WAIT_QUIET, MPDLL_OK, kReceiveLimit}),
                         [](const auto& info) { return std::string(info.param.name); });

// Fills what the console side buffers until a write would block: the
// console then takes nothing more, as a far end holding the flow off. The
// kernel moves written bytes on to the other side in the background, later
// on a busy machine (its worker may wait its turn for most of a second), so
// filling goes on until three rounds in a row, each after a pause, take
// nothing.
void fill_until_blocked(int slave) {
    ::fcntl(slave, F_SETFL, ::fcntl(slave, F_GETFL) | O_NONBLOCK);
    const std::string block(4096, 'f');
    for (int idleRounds = 0; idleRounds < 3;) {
        bool took = false;
        for (std::size_t size = block.size(); size > 0; size /= 2)
            while (::write(slave, block.data(), size) > 0) took = true;
        idleRounds = took ? 0 : idleRounds + 1;
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
}

struct StalledWriteCase {
    const char* name;
    std::int32_t sendTimeout;
};
void PrintTo(const StalledWriteCase& c, std::ostream* os) { *os << c.name; }

class StalledConsole : public ::testing::TestWithParam<StalledWriteCase> {};

TEST_P(StalledConsole, AWriteThatPutsOutLessThanTheLineFails) {
    constexpr MpCommTimeouts kShortWrites{100, 0, 0, 0, 300};  // a write gives up after 300 ms
    PseudoTerminal console;
    ASSERT_FALSE(console.path().empty());
    auto dev = serial_record(console.path(), "# ");
    dev->commTimeouts = kShortWrites;
    dev->sendTimeout = GetParam().sendTimeout;
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    fill_until_blocked(console.slave());
    const Stopwatch clock;
    EXPECT_EQ(SerialSnd(dev.get(), "iwpriv wlan0 mp_ther", 20), MPDLL_E_TRANSPORT);
    EXPECT_LE(clock.seconds(), 0.3 + kSchedulingSlackSeconds);
    CloseDev(dev.get(), MPDLL_MODE_SERIAL);
}

INSTANTIATE_TEST_SUITE_P(SendTimeouts, StalledConsole,
                         ::testing::Values(StalledWriteCase{"Default", -1}, StalledWriteCase{"None", 0},
                                           StalledWriteCase{"Long", 60000}),
                         [](const auto& info) { return std::string(info.param.name); });

struct DrainCase {
    const char* name;
    std::int32_t sendTimeout;
    MpCommTimeouts timeouts;
    double limitSeconds;
};
void PrintTo(const DrainCase& c, std::ostream* os) { *os << c.name; }

// A port whose output queue always reports a byte still queued.
class StuckOutputQueue : public ::testing::TestWithParam<DrainCase> {
  protected:
    void SetUp() override {
        ops_.purge = [](MpHandle, unsigned) { return true; };
        ops_.write = [](MpHandle, const char*, int length) { return length; };
        ops_.status = [](MpHandle, std::uint32_t* in, std::uint32_t* out) {
            *in = 0;
            *out = 1;
            return true;
        };
        swappedOps_.emplace(ops_);
    }

  private:
    platform::SerialOps ops_{};
    std::optional<SwappedPlatformOps> swappedOps_;
};

TEST_P(StuckOutputQueue, TheDrainWaitEndsWithinTheWriteTimeouts) {
    const DrainCase& c = GetParam();
    DevContext dev{};
    dev.mode = MPDLL_MODE_SERIAL;
    dev.sendTimeout = c.sendTimeout;
    dev.commTimeouts = c.timeouts;
    const Stopwatch clock;
    EXPECT_EQ(SerialSnd(&dev, "x", 1), MPDLL_OK);  // the line went out; only the drain is cut short
    EXPECT_LE(clock.seconds(), c.limitSeconds + kSchedulingSlackSeconds);
}

constexpr MpCommTimeouts kLibraryDefaults{};                 // 100/0/0/100/500: 700 ms for "x" and CR
constexpr MpCommTimeouts kNoWriteTimeouts{100, 0, 0, 0, 0};  // only sendTimeout bounds the drain

INSTANTIATE_TEST_SUITE_P(SendTimeouts, StuckOutputQueue,
                         ::testing::Values(DrainCase{"NegativeIsBoundedByTheWriteTimeouts", -1, kLibraryDefaults, 0.7},
                                           DrainCase{"LongIsBoundedByTheWriteTimeouts", 60000, kLibraryDefaults, 0.7},
                                           DrainCase{"ShortStaysShort", 150, kLibraryDefaults, 0.15},
                                           DrainCase{"ZeroDoesNotWait", 0, kLibraryDefaults, 0.0},
                                           DrainCase{"NegativeIsTheDefault", -1, kNoWriteTimeouts, 5.0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::test
