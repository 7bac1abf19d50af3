// The platform's own socket operations when the system refuses them: each
// failure is reported as failure, and last_error names the system's reason,
// not one left over from an earlier call.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <functional>

#include "platform/native_ops.h"
#include "text/byte_order.h"

namespace {

using mpdll::platform::native_socket_ops;
using mpdll::platform::SocketOps;
using mpdll::platform::Wait;

// A descriptor number that is not open in this process.
MpSocket closed_descriptor() {
    const SocketOps& ops = native_socket_ops();
    const MpSocket s = ops.open_udp();
    EXPECT_TRUE(ops.is_valid(s));
    ops.close(s);
    return s;
}

// Leaves a different error number behind, so a failure that forgets to note
// its own reason shows.
void leave_another_error() {
    const SocketOps& ops = native_socket_ops();
    const MpSocket s = ops.open_tcp();
    char byte = 'x';
    ASSERT_EQ(ops.send(s, &byte, 1), -1);  // not connected
    ASSERT_NE(ops.last_error(), EBADF);
    ops.close(s);
}

TEST(NativeSocketOps, EveryCallOnAClosedDescriptorFailsWithItsReason) {
    struct Case {
        const char* name;
        std::function<bool(const SocketOps&, MpSocket)> fails;
    };
    char data[8] = {};
    MpSockAddrIn peer{};
    peer.family = 2;  // AF_INET
    peer.port = mpdll::network_order16(9);
    peer.address = mpdll::network_order32(0x7f000001);
    const Case cases[] = {
        {"set_timeouts", [](const SocketOps& o, MpSocket s) { return !o.set_timeouts(s, 100, 100); }},
        {"set_nonblocking", [](const SocketOps& o, MpSocket s) { return !o.set_nonblocking(s, true); }},
        {"wait_writable", [](const SocketOps& o, MpSocket s) { return o.wait_writable(s, 50) == Wait::failed; }},
        {"wait_readable", [](const SocketOps& o, MpSocket s) { return o.wait_readable(s, 50) == Wait::failed; }},
        {"pending", [](const SocketOps& o, MpSocket s) { return o.pending(s) == -1; }},
        {"send", [&](const SocketOps& o, MpSocket s) { return o.send(s, data, 1) == -1; }},
        {"recv", [&](const SocketOps& o, MpSocket s) { return o.recv(s, data, sizeof data) == -1; }},
        {"send_to", [&](const SocketOps& o, MpSocket s) { return o.send_to(s, data, 1, peer) == -1; }},
        {"recv_from", [&](const SocketOps& o, MpSocket s) { return o.recv_from(s, data, sizeof data, nullptr) == -1; }},
    };
    const SocketOps& ops = native_socket_ops();
    for (const Case& c : cases) {
        const MpSocket s = closed_descriptor();
        leave_another_error();
        EXPECT_TRUE(c.fails(ops, s)) << c.name;
        EXPECT_EQ(ops.last_error(), EBADF) << c.name;
    }
}

// No descriptors left: the open fails and says so (run in a child process,
// whose descriptor limit is lowered).
TEST(NativeSocketOps, OpenWithoutADescriptorLeftFailsWithItsReason) {
    const auto exhaust_and_open = [](bool tcp) {
        rlimit before{};
        if (::getrlimit(RLIMIT_NOFILE, &before) != 0) std::exit(2);
        const rlimit none{0, before.rlim_max};
        if (::setrlimit(RLIMIT_NOFILE, &none) != 0) std::exit(2);
        const SocketOps& ops = native_socket_ops();
        const MpSocket s = tcp ? ops.open_tcp() : ops.open_udp();
        const bool refused = !ops.is_valid(s) && ops.last_error() == EMFILE;
        ::setrlimit(RLIMIT_NOFILE, &before);  // the child's own exit may need descriptors again
        std::exit(refused ? 0 : 1);
    };
    EXPECT_EXIT(exhaust_and_open(true), ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(exhaust_and_open(false), ::testing::ExitedWithCode(0), "");
}

// A peer that takes nothing more: once the send buffers are full, a wait for
// room ends as a time-out (not as a failure), and so does a wait for input.
TEST(NativeSocketOps, WaitsOnAStalledPeerEndAsTimeouts) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

    const SocketOps& ops = native_socket_ops();
    const MpSocket s = ops.open_tcp();
    ASSERT_TRUE(ops.set_nonblocking(s, true));
    MpSockAddrIn peer{};
    peer.family = AF_INET;
    peer.port = address.sin_port;
    peer.address = address.sin_addr.s_addr;
    ops.start_connect(s, peer);
    ASSERT_EQ(ops.wait_writable(s, 5000), Wait::ready);

    static char chunk[65536] = {};
    int filled = 0;
    while (ops.send(s, chunk, sizeof chunk) > 0) ASSERT_LT(++filled, 100000) << "the buffers never filled";
    EXPECT_EQ(ops.last_error(), EAGAIN);
    EXPECT_EQ(ops.wait_writable(s, 20), Wait::timeout);
    EXPECT_EQ(ops.wait_readable(s, 20), Wait::timeout);
    ops.close(s);
    ::close(listener);
}

}  // namespace
