// The platform's own serial port operations on a pseudo-terminal: what can
// be opened as a port, line settings it cannot take, and which side a purge
// clears (a pseudo-terminal's output is never taken back from the far end).
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

}  // namespace
