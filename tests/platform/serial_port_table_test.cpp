// The table of open serial ports and their time-outs: a port it does not
// know (never opened, closed, or a handle that is no port at all) has the
// defaults and cannot be given time-outs, and a full table is reported.
#include <gtest/gtest.h>

#include <functional>

#include "mpdll/mpdll.h"
#include "platform/posix/serial_port_table.h"

namespace {

namespace table = mpdll::platform::serial_port_table;

constexpr MpCommTimeouts kDefaults{100, 0, 0, 100, 500};
constexpr MpCommTimeouts kOwn{7, 8, 9, 10, 11};
constexpr int kFirstFd = 900000;  // far above any descriptor this process holds

bool same(const MpCommTimeouts& a, const MpCommTimeouts& b) {
    return a.ReadIntervalTimeout == b.ReadIntervalTimeout &&
           a.ReadTotalTimeoutMultiplier == b.ReadTotalTimeoutMultiplier &&
           a.ReadTotalTimeoutConstant == b.ReadTotalTimeoutConstant &&
           a.WriteTotalTimeoutMultiplier == b.WriteTotalTimeoutMultiplier &&
           a.WriteTotalTimeoutConstant == b.WriteTotalTimeoutConstant;
}

TEST(SerialPortTable, OnlyRememberedPortsTakeTimeouts) {
    struct Case {
        const char* name;
        std::function<int()> port;  // sets the table up, names the port asked about
        bool known;
        bool pseudoTerminal;
    };
    const Case cases[] = {
        {"remembered",
         [] {
             table::remember(kFirstFd, false);
             return kFirstFd;
         },
         true, false},
        {"remembered pseudo-terminal",
         [] {
             table::remember(kFirstFd, true);
             return kFirstFd;
         },
         true, true},
        {"remembered again after a change",
         [] {
             table::remember(kFirstFd, true);
             table::set(kFirstFd, kOwn);
             table::remember(kFirstFd, false);  // a new port on the same number starts afresh
             return kFirstFd;
         },
         true, false},
        {"never remembered", [] { return kFirstFd + 1; }, false, false},
        {"forgotten",
         [] {
             table::remember(kFirstFd, true);
             table::forget(kFirstFd);
             return kFirstFd;
         },
         false, false},
        // The handle of a null port and the invalid handle come to these numbers.
        {"descriptor -1",
         [] {
             table::remember(kFirstFd, false);
             table::forget(kFirstFd);
             return -1;
         },
         false, false},
        {"descriptor -2", [] { return -2; }, false, false},
    };
    for (const Case& c : cases) {
        const int fd = c.port();
        EXPECT_TRUE(same(table::get(fd), kDefaults)) << c.name;
        EXPECT_EQ(table::is_pseudo_terminal(fd), c.pseudoTerminal) << c.name;
        EXPECT_EQ(table::set(fd, kOwn), c.known) << c.name;
        EXPECT_TRUE(same(table::get(fd), c.known ? kOwn : kDefaults)) << c.name;
        table::forget(fd);
        table::forget(kFirstFd);
        EXPECT_TRUE(same(table::get(fd), kDefaults)) << c.name << ": forgotten";
    }
}

// Any number of ports keep their own time-outs and pty mark (a station
// with many consoles), and a port forgotten keeps nothing.
TEST(SerialPortTable, EveryOpenPortKeepsItsOwnSettings) {
    constexpr int kPorts = 200;
    for (int i = 0; i < kPorts; ++i) table::remember(kFirstFd + i, i % 2 == 0);
    for (int i = 0; i < kPorts; ++i) {
        ASSERT_TRUE(table::set(kFirstFd + i, kOwn)) << i;
        EXPECT_EQ(table::is_pseudo_terminal(kFirstFd + i), i % 2 == 0) << i;
    }
    table::forget(kFirstFd + 5);
    EXPECT_FALSE(table::set(kFirstFd + 5, kOwn));
    EXPECT_FALSE(table::is_pseudo_terminal(kFirstFd + 6 - 1));
    for (int i = 0; i < kPorts; ++i) table::forget(kFirstFd + i);
    EXPECT_FALSE(table::set(kFirstFd, kOwn));
}

}  // namespace
