// The one narrow interface between the library and the operating system.
//
// Each backend (posix/, win32/) fills the same operation tables; the rest of
// the library calls only these. OS handles stay opaque (MpSocket, MpHandle)
// and OS errors are translated here once: a failed socket call reports the
// platform's socket error number through SocketOps::last_error, a failed
// serial open or line setting through SerialOps::last_error, a failed named
// object through named_object_error.
//
// Tests may swap the socket or serial table (use_socket_ops/use_serial_ops)
// to inject failures while still talking to real loopback peers.
#pragma once

#include <cstdint>

#include "mpdll/mpdll.h"

namespace mpdll::platform {

enum class Wait { ready, timeout, failed };

// The family an MpSockAddrIn holds for IPv4 (the same number on every OS).
inline constexpr std::uint16_t kFamilyIpv4 = 2;

struct SocketOps {
    MpSocket (*open_tcp)();
    MpSocket (*open_udp)();
    bool (*is_valid)(MpSocket s);
    void (*close)(MpSocket s);
    // Send and receive time-outs of single socket calls, in milliseconds.
    bool (*set_timeouts)(MpSocket s, int sendMs, int recvMs);
    bool (*set_nonblocking)(MpSocket s, bool on);
    void (*start_connect)(MpSocket s, const MpSockAddrIn& peer);
    Wait (*wait_writable)(MpSocket s, int timeoutMs);
    Wait (*wait_readable)(MpSocket s, int timeoutMs);
    // Bytes waiting to be read, or -1 when the platform cannot tell.
    int (*pending)(MpSocket s);
    // Bytes moved, or -1 on failure (then last_error tells why); recv 0 = peer closed.
    int (*send)(MpSocket s, const char* data, int length);
    int (*recv)(MpSocket s, char* data, int capacity);
    int (*send_to)(MpSocket s, const char* data, int length, const MpSockAddrIn& peer);
    int (*recv_from)(MpSocket s, char* data, int capacity, MpSockAddrIn* from);
    // The platform's socket error number of the last failed call (positive).
    int (*last_error)();
    // Ask the stack to acknowledge received data at once (no delayed ACK).
    void (*acknowledge_now)(MpSocket s);
};

// PurgeComm-style masks.
inline constexpr unsigned kPurgeTxAbort = 1, kPurgeRxAbort = 2, kPurgeTxClear = 4, kPurgeRxClear = 8;
inline constexpr unsigned kPurgeAll = 15, kPurgeOutput = 5, kPurgeInput = 10;

struct SerialOps {
    // Opens the port named by the caller (the Windows backend adds the
    // device-namespace prefix to long names; POSIX takes a device path).
    // Returns kInvalidHandle on failure.
    MpHandle (*open)(const char* portName);
    bool (*set_queue_sizes)(MpHandle h, std::uint32_t inBytes, std::uint32_t outBytes);
    bool (*set_timeouts)(MpHandle h, const MpCommTimeouts& timeouts);
    bool (*set_line)(MpHandle h, const MpDcb& line);
    bool (*purge)(MpHandle h, unsigned mask);
    // Clears the error state and reports the queued byte counts.
    bool (*status)(MpHandle h, std::uint32_t* inQueue, std::uint32_t* outQueue);
    // Blocks until input is queued or timeoutMs passes; never spins.
    void (*wait_input)(MpHandle h, int timeoutMs);
    // Reads as the port time-outs say, but returns within withinMs at the
    // latest (0: what is queued now); bytes read, or -1 on failure.
    int (*read)(MpHandle h, char* data, int capacity, int withinMs);
    // Bytes written: fewer than length when the port's write time-outs cut
    // the write short; -1 on failure.
    int (*write)(MpHandle h, const char* data, int length);
    void (*close)(MpHandle h);
    // The platform's error number of the last failed open or set_line on
    // this thread (positive).
    int (*last_error)();
};

inline const MpHandle kInvalidHandle = reinterpret_cast<MpHandle>(static_cast<std::intptr_t>(-1));
// What a socket field holds when no socket is open (-1, INVALID_SOCKET).
inline constexpr MpSocket kInvalidSocket = static_cast<MpSocket>(-1);

const SocketOps& sockets();
const SerialOps& serial();
// Swap in another table (tests); nullptr restores the platform's own.
void use_socket_ops(const SocketOps* ops);
void use_serial_ops(const SerialOps* ops);

// Socket layer start-up at library load; false when it cannot be used.
bool socket_layer_start();
void socket_layer_stop();

// Named synchronisation objects in the platform's shared namespace; a
// failed create returns nullptr and named_object_error tells why (the
// platform's error number of the last failed create on this thread).
MpHandle create_named_mutex(const char* name);
MpHandle create_named_event(const char* name, bool manualReset);
void close_named(MpHandle h);
int named_object_error();

std::uint64_t monotonic_ms();
void sleep_ms(int ms);

// Writes a text to the platform's debugger output.
void debug_text(const char* text);

}  // namespace mpdll::platform
