// One read from the telnet socket within a poll interval.
#include "connection/telnet/telnet_read.h"

#include "connection/session_log.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

constexpr int kQuietStepMs = 200;

// Returns once the pending count has not changed over 200 ms (after at
// least two steps), or when the window closes.
void wait_until_quiet(MpSocket socket, const ReceiveWindow& window) {
    int previous = 0;
    for (;;) {
        platform::sleep_ms(kQuietStepMs);
        const int now = platform::sockets().pending(socket);
        if (now == previous || !window.open()) return;
        previous = now;
    }
}

}  // namespace

TelnetChunk read_telnet_chunk(MpSocket socket, std::span<char> chunk, bool settleFirst,
                              const ReceiveWindow& window) noexcept {
    const platform::SocketOps& ops = platform::sockets();
    const platform::Wait readable = ops.wait_readable(socket, kPollIntervalMs);
    if (readable == platform::Wait::failed) return {TelnetChunk::Kind::waitFailed};
    if (readable != platform::Wait::ready) return {TelnetChunk::Kind::nothing};
    if (settleFirst && ops.pending(socket) > 0) wait_until_quiet(socket, window);
    const int got = ops.recv(socket, chunk.data(), static_cast<int>(chunk.size()));
    if (got < 0) return {TelnetChunk::Kind::readFailed};
    if (got == 0) return {TelnetChunk::Kind::closed};
    session_log::received(std::string_view(chunk.data(), static_cast<std::size_t>(got)));
    ops.acknowledge_now(socket);
    return {TelnetChunk::Kind::data, static_cast<std::size_t>(got)};
}

}  // namespace mpdll
