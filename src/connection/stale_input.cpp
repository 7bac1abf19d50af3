// Discarding what already waits on a socket before a command goes out.
#include "connection/stale_input.h"

#include "platform/platform.h"

namespace mpdll {
namespace {
// Bounds the discard when the peer keeps sending.
constexpr int kMostReads = 64;

bool readable_now(MpSocket socket) {
    return platform::sockets().wait_readable(socket, 0) == platform::Wait::ready;
}
}  // namespace

void discard_stream_input(MpSocket socket, std::span<char> scratch) noexcept {
    for (int reads = 0; reads < kMostReads && readable_now(socket); ++reads) {
        const platform::SocketOps& ops = platform::sockets();
        if (ops.recv(socket, scratch.data(), static_cast<int>(scratch.size())) <= 0) return;
        ops.acknowledge_now(socket);
    }
}

void discard_datagrams(MpSocket socket, std::span<char> scratch) noexcept {
    for (int reads = 0; reads < kMostReads && readable_now(socket); ++reads) {
        if (platform::sockets().recv_from(socket, scratch.data(), static_cast<int>(scratch.size()), nullptr) < 0)
            return;
    }
}

}  // namespace mpdll
