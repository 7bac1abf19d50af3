// BSD-sockets backend of the socket operations: poll() for the waits,
// FIONREAD for the pending count, TCP_QUICKACK for the immediate ACK.
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/native_ops.h"

namespace mpdll::platform {
namespace {

// The error number of the last failed call on this thread, kept apart from
// errno so that later library calls cannot overwrite it.
thread_local int lastSocketError = 0;

// Note errno as the socket error and report the failure as -1 or false.
int failed() {
    lastSocketError = errno;
    return -1;
}

bool refused() {
    lastSocketError = errno;
    return false;
}

sockaddr_in to_native(const MpSockAddrIn& peer) {
    sockaddr_in address{};
    address.sin_family = static_cast<sa_family_t>(peer.family);
    address.sin_port = peer.port;
    address.sin_addr.s_addr = peer.address;
    return address;
}

MpSocket open_socket(int type) {
    int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    if (fd < 0) return failed();
    return fd;
}

MpSocket open_tcp() { return open_socket(SOCK_STREAM); }
MpSocket open_udp() { return open_socket(SOCK_DGRAM); }
bool is_valid(MpSocket s) { return s >= 0; }

void close(MpSocket s) {
    if (s >= 0) ::close(s);
}

timeval to_timeval(int ms) {
    timeval tv{};
    tv.tv_sec = ms / 1000;
    tv.tv_usec = static_cast<suseconds_t>(ms % 1000) * 1000;
    return tv;
}

bool set_timeouts(MpSocket s, int sendMs, int recvMs) {
    timeval send = to_timeval(sendMs), recv = to_timeval(recvMs);
    if (::setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &send, sizeof send) != 0) return refused();
    if (::setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &recv, sizeof recv) != 0) return refused();
    return true;
}

bool set_nonblocking(MpSocket s, bool on) {
    int flags = ::fcntl(s, F_GETFL);
    if (flags < 0) return refused();
    flags = on ? (flags | O_NONBLOCK) : (flags & ~O_NONBLOCK);
    if (::fcntl(s, F_SETFL, flags) != 0) return refused();
    return true;
}

void start_connect(MpSocket s, const MpSockAddrIn& peer) {
    sockaddr_in address = to_native(peer);
    if (::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) failed();
}

// One poll() on one descriptor; EINTR restarts the wait with the full time.
// A descriptor that is not open fails like any other call on it (EBADF).
int poll_one(MpSocket s, short events, int timeoutMs, short* revents) {
    pollfd entry{s, events, 0};
    int n;
    do {
        n = ::poll(&entry, 1, timeoutMs);
    } while (n < 0 && errno == EINTR);
    if (n < 0) return failed();
    if (entry.revents & POLLNVAL) {
        lastSocketError = EBADF;
        return -1;
    }
    *revents = entry.revents;
    return n;
}

Wait wait_writable(MpSocket s, int timeoutMs) {
    short revents = 0;
    int n = poll_one(s, POLLOUT, timeoutMs, &revents);
    if (n < 0) return Wait::failed;
    if (n == 0) return Wait::timeout;
    // A refused or unreachable connect shows up as an error on the socket.
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(s, SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error != 0) {
        lastSocketError = error;
        return Wait::failed;
    }
    return (revents & POLLOUT) ? Wait::ready : Wait::failed;
}

Wait wait_readable(MpSocket s, int timeoutMs) {
    short revents = 0;
    int n = poll_one(s, POLLIN, timeoutMs, &revents);
    if (n < 0) return Wait::failed;
    if (n == 0) return Wait::timeout;
    // Like select(), a closed or failed connection counts as readable: the
    // receive that follows reports it.
    return Wait::ready;
}

int pending(MpSocket s) {
    int count = 0;
    if (::ioctl(s, FIONREAD, &count) != 0) return failed();
    return count;
}

int send(MpSocket s, const char* data, int length) {
    ssize_t n;
    do {
        n = ::send(s, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? failed() : static_cast<int>(n);
}

int recv(MpSocket s, char* data, int capacity) {
    ssize_t n;
    do {
        n = ::recv(s, data, static_cast<size_t>(capacity), 0);
    } while (n < 0 && errno == EINTR);
    return n < 0 ? failed() : static_cast<int>(n);
}

int send_to(MpSocket s, const char* data, int length, const MpSockAddrIn& peer) {
    sockaddr_in address = to_native(peer);
    ssize_t n = ::sendto(s, data, static_cast<size_t>(length), MSG_NOSIGNAL,
                         reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return n < 0 ? failed() : static_cast<int>(n);
}

int recv_from(MpSocket s, char* data, int capacity, MpSockAddrIn* from) {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    ssize_t n = ::recvfrom(s, data, static_cast<size_t>(capacity), 0, reinterpret_cast<sockaddr*>(&address), &length);
    if (n < 0) return failed();
    if (from) {
        *from = MpSockAddrIn{};
        from->family = static_cast<std::uint16_t>(address.sin_family);
        from->port = address.sin_port;
        from->address = address.sin_addr.s_addr;
    }
    return static_cast<int>(n);
}

int last_error() { return lastSocketError; }

// The stack drops back to delayed ACKs on its own, so this is asked again
// after every receive; setting it also sends an ACK that is still owed.
void acknowledge_now(MpSocket s) {
#ifdef TCP_QUICKACK
    int on = 1;
    ::setsockopt(s, IPPROTO_TCP, TCP_QUICKACK, &on, sizeof on);
#else
    (void)s;
#endif
}

constexpr SocketOps kBsdSockets{
    open_tcp,      open_udp, is_valid, close, set_timeouts, set_nonblocking, start_connect, wait_writable,
    wait_readable, pending,  send,     recv,  send_to,      recv_from,       last_error,    acknowledge_now};

}  // namespace

const SocketOps& native_socket_ops() { return kBsdSockets; }

// POSIX sockets need no start-up or clean-up.
bool socket_layer_start() { return true; }
void socket_layer_stop() {}

}  // namespace mpdll::platform
