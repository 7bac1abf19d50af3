// Dropping what already waits before a line goes out.
#include "connection/stale_input.h"

#include <algorithm>
#include <cstring>

#include "connection/answer_framer.h"
#include "connection/telnet_transport.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
// Bounds the discard when the peer keeps sending.
constexpr int kMostReads = 64;

bool readable_within(MpSocket socket, int waitMs) {
    return platform::sockets().wait_readable(socket, waitMs) == platform::Wait::ready;
}
}  // namespace

void DroppedInput::add(std::string_view text) noexcept {
    prompts_.feed(text);
    fed_ += text.size();
    const std::size_t newest = std::min(text.size(), tail_.size());
    const std::size_t keep = std::min(tailLength_, tail_.size() - newest);
    std::memmove(tail_.data(), tail_.data() + tailLength_ - keep, keep);
    std::memcpy(tail_.data() + keep, text.data() + text.size() - newest, newest);
    tailLength_ = keep + newest;
}

std::string_view DroppedInput::tail() const noexcept {
    const std::uint64_t lastPromptEnd = prompts_.end_of(prompts_.count());
    const std::uint64_t tailStart = fed_ - tailLength_;
    const std::size_t skip = lastPromptEnd > tailStart ? static_cast<std::size_t>(lastPromptEnd - tailStart) : 0;
    return {tail_.data() + skip, tailLength_ - skip};
}

void discard_telnet_input(const DevContext& dev, telnet::Stream& stream, DroppedInput& dropped,
                          std::span<char> scratch) noexcept {
    const ReceiveWindow window;
    for (int reads = 0; reads < kMostReads && readable_within(dev.telnetSocket, 0); ++reads) {
        const TelnetData got = read_telnet_data(dev, stream, scratch, false, window);
        if (got.kind != TelnetData::Kind::data) break;
        dropped.add(got.text);
    }
}

void discard_serial_input(MpHandle port, DroppedInput& dropped, std::span<char> scratch) noexcept {
    const platform::SerialOps& ops = platform::serial();
    for (int reads = 0; reads < kMostReads; ++reads) {
        std::uint32_t queued = 0, unsent = 0;
        if (!ops.status(port, &queued, &unsent) || queued == 0) break;
        const int wanted = static_cast<int>(std::min<std::size_t>(queued, scratch.size()));
        const int got = ops.read(port, scratch.data(), wanted, 0);
        if (got <= 0) break;
        dropped.add(without_nul_bytes(scratch.data(), static_cast<std::size_t>(got)));
    }
}

void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs) noexcept {
    for (int reads = 0; reads < kMostReads && readable_within(socket, waitMs); ++reads) {
        if (platform::sockets().recv_from(socket, scratch.data(), static_cast<int>(scratch.size()), nullptr) < 0)
            return;
    }
}

}  // namespace mpdll
