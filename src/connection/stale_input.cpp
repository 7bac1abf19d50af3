// Discarding what already waits on a socket before a command goes out.
#include "connection/stale_input.h"

#include <algorithm>

#include "connection/prompt_collector.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
// Bounds the discard when the peer keeps sending.
constexpr int kMostReads = 64;

bool readable_within(MpSocket socket, int waitMs) {
    return platform::sockets().wait_readable(socket, waitMs) == platform::Wait::ready;
}
}  // namespace

std::size_t discard_stream_input(MpSocket socket, std::span<char> scratch, std::string_view prompt) noexcept {
    PromptCounter prompts(prompt);
    for (int reads = 0; reads < kMostReads && readable_within(socket, 0); ++reads) {
        const platform::SocketOps& ops = platform::sockets();
        const int got = ops.recv(socket, scratch.data(), static_cast<int>(scratch.size()));
        if (got <= 0) break;
        ops.acknowledge_now(socket);
        prompts.feed(received_text(scratch.data(), static_cast<std::size_t>(got)));
    }
    return prompts.count();
}

std::size_t discard_serial_input(MpHandle port, std::span<char> scratch, std::string_view prompt) noexcept {
    PromptCounter prompts(prompt);
    const platform::SerialOps& ops = platform::serial();
    for (int reads = 0; reads < kMostReads; ++reads) {
        std::uint32_t queued = 0, unsent = 0;
        if (!ops.status(port, &queued, &unsent) || queued == 0) break;
        const int wanted = static_cast<int>(std::min<std::size_t>(queued, scratch.size()));
        const int got = ops.read(port, scratch.data(), wanted, 0);
        if (got <= 0) break;
        prompts.feed(received_text(scratch.data(), static_cast<std::size_t>(got)));
    }
    return prompts.count();
}

void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs) noexcept {
    for (int reads = 0; reads < kMostReads && readable_within(socket, waitMs); ++reads) {
        if (platform::sockets().recv_from(socket, scratch.data(), static_cast<int>(scratch.size()), nullptr) < 0)
            return;
    }
}

}  // namespace mpdll
