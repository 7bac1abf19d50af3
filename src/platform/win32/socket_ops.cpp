// Winsock 2 backend of the socket operations.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/native_ops.h"

#ifndef SIO_UDP_CONNRESET
#define SIO_UDP_CONNRESET _WSAIOW(IOC_VENDOR, 12)
#endif
#ifndef SIO_TCP_SET_ACK_FREQUENCY
#define SIO_TCP_SET_ACK_FREQUENCY _WSAIOW(IOC_VENDOR, 23)
#endif

namespace mpdll::platform {
namespace {

SOCKET native(MpSocket s) { return static_cast<SOCKET>(s); }

sockaddr_in to_native(const MpSockAddrIn& peer) {
    static_assert(sizeof(sockaddr_in) == sizeof(MpSockAddrIn));
    sockaddr_in address{};
    std::memcpy(&address, &peer, sizeof address);
    return address;
}

MpSocket open_tcp() { return static_cast<MpSocket>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP)); }
// Winsock reports an ICMP "port unreachable" for an earlier datagram as a
// failed receive; a board that is not up yet must look like no reply instead.
MpSocket open_udp() {
    SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s != INVALID_SOCKET) {
        BOOL report = FALSE;
        DWORD returned = 0;
        ::WSAIoctl(s, SIO_UDP_CONNRESET, &report, sizeof report, nullptr, 0, &returned, nullptr, nullptr);
    }
    return static_cast<MpSocket>(s);
}
bool is_valid(MpSocket s) { return native(s) != INVALID_SOCKET; }
void close(MpSocket s) { ::closesocket(native(s)); }

bool set_timeouts(MpSocket s, int sendMs, int recvMs) {
    DWORD send = static_cast<DWORD>(sendMs), recv = static_cast<DWORD>(recvMs);
    return ::setsockopt(native(s), SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&send), sizeof send) == 0 &&
           ::setsockopt(native(s), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&recv), sizeof recv) == 0;
}

bool set_nonblocking(MpSocket s, bool on) {
    u_long mode = on ? 1 : 0;
    return ::ioctlsocket(native(s), FIONBIO, &mode) == 0;
}

void start_connect(MpSocket s, const MpSockAddrIn& peer) {
    sockaddr_in address = to_native(peer);
    ::connect(native(s), reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

timeval to_timeval(int timeoutMs) {
    timeval tv{};
    tv.tv_sec = timeoutMs / 1000;
    tv.tv_usec = (timeoutMs % 1000) * 1000;
    return tv;
}

Wait wait_writable(MpSocket s, int timeoutMs) {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(native(s), &writable);
    FD_SET(native(s), &failed);  // Winsock reports a refused connect here
    timeval tv = to_timeval(timeoutMs);
    int n = ::select(0, nullptr, &writable, &failed, &tv);
    if (n < 0) return Wait::failed;
    if (n == 0) return Wait::timeout;
    if (FD_ISSET(native(s), &failed)) return Wait::failed;
    int error = 0;
    int length = sizeof error;
    if (::getsockopt(native(s), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0)
        return Wait::failed;
    return Wait::ready;
}

Wait wait_readable(MpSocket s, int timeoutMs) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(native(s), &readable);
    timeval tv = to_timeval(timeoutMs);
    int n = ::select(0, &readable, nullptr, nullptr, &tv);
    if (n < 0) return Wait::failed;
    return n == 0 ? Wait::timeout : Wait::ready;
}

int pending(MpSocket s) {
    u_long count = 0;
    if (::ioctlsocket(native(s), FIONREAD, &count) != 0) return -1;
    return static_cast<int>(count);
}

int send(MpSocket s, const char* data, int length) {
    int n = ::send(native(s), data, length, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int recv(MpSocket s, char* data, int capacity) {
    int n = ::recv(native(s), data, capacity, 0);
    return n == SOCKET_ERROR ? -1 : n;
}

int send_to(MpSocket s, const char* data, int length, const MpSockAddrIn& peer) {
    sockaddr_in address = to_native(peer);
    int n = ::sendto(native(s), data, length, 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    return n == SOCKET_ERROR ? -1 : n;
}

int recv_from(MpSocket s, char* data, int capacity, MpSockAddrIn* from) {
    sockaddr_in address{};
    int length = sizeof address;
    int n = ::recvfrom(native(s), data, capacity, 0, reinterpret_cast<sockaddr*>(&address), &length);
    if (n == SOCKET_ERROR) return -1;
    if (from) std::memcpy(from, &address, sizeof *from);
    return n;
}

int last_error() { return ::WSAGetLastError(); }

void acknowledge_now(MpSocket s) {
    // Acknowledge every segment at once; systems without the option refuse it,
    // and the refusal changes nothing.
    DWORD frequency = 1, returned = 0;
    ::WSAIoctl(native(s), SIO_TCP_SET_ACK_FREQUENCY, &frequency, sizeof frequency, nullptr, 0, &returned, nullptr,
               nullptr);
}

constexpr SocketOps kWinsock{open_tcp,      open_udp,      is_valid,      close,          set_timeouts, set_nonblocking,
                             start_connect, wait_writable, wait_readable, pending,        send,         recv,
                             send_to,       recv_from,     last_error,    acknowledge_now};

}  // namespace

const SocketOps& native_socket_ops() { return kWinsock; }

bool socket_layer_start() {
    WSADATA data{};
    if (::WSAStartup(MAKEWORD(2, 2), &data) != 0) return false;
    if (LOBYTE(data.wVersion) != 2 || HIBYTE(data.wVersion) != 2) {
        ::WSACleanup();
        return false;
    }
    return true;
}

void socket_layer_stop() { ::WSACleanup(); }

}  // namespace mpdll::platform
