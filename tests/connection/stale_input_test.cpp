// Dropping what waits on a socket before a command: it stops when nothing
// more is readable, when the peer has closed or the read fails, and it stays
// bounded when the peer never stops sending.
#include <gtest/gtest.h>

#include <array>

#include "connection/answer/stale_input.h"
#include "connection/telnet/telnet_transport.h"
#include "connection/udp/udp_exchange.h"
#include "platform/native_ops.h"
#include "platform/platform.h"
#include "support/swapped_platform_ops.h"

namespace {

namespace platform = mpdll::platform;

// A stand-in socket: `waiting` reads are readable, each read returns `result`.
struct Peer {
    static inline int waiting = 0;
    static inline int result = 0;
    static inline int reads = 0;
    static inline int acknowledgements = 0;
    static int read() {
        ++reads;
        --waiting;
        return result;
    }
};

platform::SocketOps stand_in() {
    platform::SocketOps ops = platform::native_socket_ops();
    ops.wait_readable = [](MpSocket, int) {
        return Peer::waiting > 0 ? platform::Wait::ready : platform::Wait::timeout;
    };
    ops.recv = [](MpSocket, char*, int) { return Peer::read(); };
    ops.recv_from = [](MpSocket, char*, int, MpSockAddrIn*) { return Peer::read(); };
    ops.acknowledge_now = [](MpSocket) { ++Peer::acknowledgements; };
    return ops;
}

TEST(StaleInput, DiscardStopsAtTheEndOfInputAFailureOrItsBound) {
    struct Case {
        const char* name;
        bool datagrams;
        int waiting;
        int result;
        int reads;  // kBounded: more than one, but it ends
    };
    constexpr int kBounded = -1;
    constexpr int kMostReads = 64;
    const Case cases[] = {
        {"stream: nothing waits", false, 0, 10, 0},
        {"stream: three reads wait", false, 3, 10, 3},
        {"stream: peer closed", false, 5, 0, 1},
        {"stream: read fails", false, 5, -1, 1},
        {"stream: peer never stops", false, 1000000, 10, kBounded},
        {"datagrams: nothing waits", true, 0, 10, 0},
        {"datagrams: three wait", true, 3, 10, 3},
        {"datagrams: an empty datagram is one more", true, 3, 0, 3},
        {"datagrams: read fails", true, 5, -1, 1},
        {"datagrams: peer never stops", true, 1000000, 10, kBounded},
    };
    const platform::SocketOps ops = stand_in();
    const mpdll::test::SwappedPlatformOps swappedOps(ops);
    for (const Case& c : cases) {
        Peer::waiting = c.waiting;
        Peer::result = c.result;
        Peer::reads = 0;
        Peer::acknowledgements = 0;
        std::array<char, 16> scratch{};
        if (c.datagrams) {
            mpdll::discard_datagrams(7, scratch);
        } else {
            DevContext dev{};
            dev.telnetSocket = 7;
            mpdll::telnet::Stream stream;
            mpdll::DroppedInput dropped("# ");
            mpdll::discard_telnet_input(dev, stream, dropped, scratch);
        }
        if (c.reads == kBounded) {
            EXPECT_GT(Peer::reads, 1) << c.name;
            EXPECT_LE(Peer::reads, kMostReads) << c.name;
        } else {
            EXPECT_EQ(Peer::reads, c.reads) << c.name;
        }
        if (!c.datagrams) {
            EXPECT_EQ(Peer::acknowledgements, c.result > 0 ? Peer::reads : 0) << c.name << ": every read acknowledged";
        }
    }
}

}  // namespace
