// Discarding what already waits on a socket before a command goes out.
#include "connection/stale_input.h"

#include "platform/platform.h"

namespace mpdll {
namespace {
// Bounds the discard when the peer keeps sending.
constexpr int kMostReads = 64;

bool readable_within(MpSocket socket, int waitMs) {
    return platform::sockets().wait_readable(socket, waitMs) == platform::Wait::ready;
}
}  // namespace

void discard_stream_input(MpSocket socket, std::span<char> scratch) noexcept {
    for (int reads = 0; reads < kMostReads && readable_within(socket, 0); ++reads) {
        const platform::SocketOps& ops = platform::sockets();
        if (ops.recv(socket, scratch.data(), static_cast<int>(scratch.size())) <= 0) return;
        ops.acknowledge_now(socket);
    }
}

void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs) noexcept {
    for (int reads = 0; reads < kMostReads && readable_within(socket, waitMs); ++reads) {
        if (platform::sockets().recv_from(socket, scratch.data(), static_cast<int>(scratch.size()), nullptr) < 0)
            return;
    }
}

}  // namespace mpdll
