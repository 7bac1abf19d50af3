// The platform's own serial port operations on a pseudo-terminal: what can
// be opened as a port, line settings it cannot take, which side a purge
// clears (a pseudo-terminal's output is never taken back from the far end),
// reads under the port time-outs, and the status of a port no longer open.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "platform/native_ops.h"

namespace {

namespace platform = mpdll::platform;

// The far end of a pseudo-terminal and the port opened on its other side.
class PseudoTerminal {
  public:
    PseudoTerminal() {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            port_ = platform::native_serial_ops().open(::ptsname(master_));
        }
    }
    ~PseudoTerminal() {
        platform::native_serial_ops().close(port_);
        if (master_ >= 0) ::close(master_);
    }
    bool ready() const { return port_ != platform::kInvalidHandle; }
    MpHandle port() const { return port_; }

    void send_to_port(const std::string& bytes) const {
        ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // What reached the far end within a short while.
    std::string from_port() const {
        std::string got;
        pollfd entry{master_, POLLIN, 0};
        char buffer[64];
        while (::poll(&entry, 1, 100) > 0) {
            const ssize_t n = ::read(master_, buffer, sizeof buffer);
            if (n <= 0) break;
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    // Bytes queued for the port to read, once `expected` have arrived (or
    // after a second).
    std::uint32_t input_queued(std::uint32_t expected) const {
        std::uint32_t in = 0, out = 0;
        for (int i = 0; i < 100; ++i) {
            EXPECT_TRUE(platform::native_serial_ops().status(port_, &in, &out));
            if (in >= expected) break;
            ::usleep(10000);
        }
        return in;
    }

  private:
    int master_ = -1;
    MpHandle port_ = platform::kInvalidHandle;
};

TEST(NativeSerialOps, OnlyATerminalOpensAsAPort) {
    const platform::SerialOps& ops = platform::native_serial_ops();
    for (const char* name : {static_cast<const char*>(nullptr), "", "/dev/null", "/nonexistent/ttyS0"}) {
        EXPECT_EQ(ops.open(name), platform::kInvalidHandle) << (name ? name : "null");
    }
    PseudoTerminal terminal;
    EXPECT_TRUE(terminal.ready());
}

TEST(NativeSerialOps, LineSettingsWithoutATerminalFormAreRefused) {
    PseudoTerminal terminal;
    ASSERT_TRUE(terminal.ready());
    MpDcb line{};
    line.BaudRate = 115200;
    line.ByteSize = 8;
    EXPECT_TRUE(platform::native_serial_ops().set_line(terminal.port(), line));
    line.BaudRate = 12345;
    EXPECT_FALSE(platform::native_serial_ops().set_line(terminal.port(), line));
    line.BaudRate = 9600;
    line.ByteSize = 4;
    EXPECT_FALSE(platform::native_serial_ops().set_line(terminal.port(), line));
}

TEST(NativeSerialOps, PurgeClearsTheInputAskedForAndNeverThePseudoTerminalsOutput) {
    struct Case {
        const char* name;
        unsigned mask;
        bool inputCleared;
    };
    const Case cases[] = {
        {"nothing", 0, false},
        {"input", platform::kPurgeRxClear, true},
        {"output", platform::kPurgeTxClear, false},
        {"aborts only", platform::kPurgeTxAbort | platform::kPurgeRxAbort, false},
        {"everything", platform::kPurgeAll, true},
    };
    for (const Case& c : cases) {
        PseudoTerminal terminal;
        ASSERT_TRUE(terminal.ready()) << c.name;
        const platform::SerialOps& ops = platform::native_serial_ops();
        terminal.send_to_port("abc");
        ASSERT_EQ(terminal.input_queued(3), 3u) << c.name;
        ASSERT_EQ(ops.write(terminal.port(), "xyz", 3), 3) << c.name;
        EXPECT_TRUE(ops.purge(terminal.port(), c.mask)) << c.name;
        EXPECT_EQ(terminal.input_queued(0), c.inputCleared ? 0u : 3u) << c.name;
        EXPECT_EQ(terminal.from_port(), "xyz") << c.name;
    }
}

// A read takes what is queued, up to its room, under the port time-outs; an
// interval of all bits set with no total time-out returns at once, also when
// nothing is queued.
TEST(NativeSerialOps, ReadsTakeWhatIsQueuedUnderThePortTimeouts) {
    struct Case {
        const char* name;
        MpCommTimeouts timeouts;
        std::string queued;
        int capacity;
        std::string read;
    };
    constexpr std::uint32_t kAll = 0xFFFFFFFFu;
    const Case cases[] = {
        {"at once, nothing queued", {kAll, 0, 0, 0, 0}, "", 8, ""},
        {"at once", {kAll, 0, 0, 0, 0}, "abc", 8, "abc"},
        {"at once, more than the room", {kAll, 0, 0, 0, 0}, "abcdef", 4, "abcd"},
        {"interval with a total", {kAll, 0, 5, 0, 0}, "abc", 8, "abc"},
        {"interval with a multiplier", {kAll, 1, 0, 0, 0}, "abc", 8, "abc"},
        {"short interval", {10, 0, 0, 0, 0}, "abc", 8, "abc"},
        {"total only, nothing queued", {0, 0, 20, 0, 0}, "", 8, ""},
        {"total only", {0, 0, 20, 0, 0}, "abc", 8, "abc"},
    };
    for (const Case& c : cases) {
        PseudoTerminal terminal;
        ASSERT_TRUE(terminal.ready()) << c.name;
        const platform::SerialOps& ops = platform::native_serial_ops();
        ASSERT_TRUE(ops.set_timeouts(terminal.port(), c.timeouts)) << c.name;
        if (!c.queued.empty()) {
            terminal.send_to_port(c.queued);
            ASSERT_EQ(terminal.input_queued(static_cast<std::uint32_t>(c.queued.size())), c.queued.size()) << c.name;
        }
        char buffer[16] = {};
        const int got = ops.read(terminal.port(), buffer, c.capacity, 1000);
        ASSERT_GE(got, 0) << c.name;
        EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(got)), c.read) << c.name;
    }
}

TEST(NativeSerialOps, StatusOfAPortNoLongerOpenFails) {
    const platform::SerialOps& ops = platform::native_serial_ops();
    MpHandle closed = platform::kInvalidHandle;
    {
        PseudoTerminal terminal;
        ASSERT_TRUE(terminal.ready());
        closed = terminal.port();
        std::uint32_t in = 7, out = 7;
        EXPECT_TRUE(ops.status(closed, &in, &out));
        EXPECT_EQ(in, 0u);
    }
    std::uint32_t in = 7, out = 7;
    EXPECT_FALSE(ops.status(closed, &in, &out));
    EXPECT_FALSE(ops.status(platform::kInvalidHandle, &in, &out));
}

}  // namespace
