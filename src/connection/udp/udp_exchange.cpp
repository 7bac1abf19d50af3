// One command over the UDP path. The reply is the first datagram from the
// board's IP address, whatever port it comes from; a datagram from any other
// address is dropped and the wait goes on. The reply's sender is written
// back into udpPeer: the address stays the board's, the port is the one the
// reply came from.
#include "connection/udp/udp_exchange.h"

#include <climits>
#include <cstring>

#include "connection/answer/receive_window.h"
#include "connection/answer/stale_input.h"
#include "connection/last_exchange.h"
#include "connection/session_log.h"
#include "platform/platform.h"
#include "text/bounded_text.h"

namespace mpdll {
namespace {
// A board that sends its reply twice sends the copy right behind it; once no
// datagram has come for this long, nothing is left to take for the answer to
// the next command.
constexpr int kDuplicateGraceMs = 1;

// What the transcript holds after a command that got no reply in its window.
constexpr std::string_view kNoReplyNote =
    "(no reply within the window; a reply may still come late and is dropped before the next command)";

bool from_board(const MpSockAddrIn& sender, const MpSockAddrIn& board) { return sender.address == board.address; }
}  // namespace

void discard_datagrams(MpSocket socket, std::span<char> scratch, int waitMs) noexcept {
    const platform::SocketOps& ops = platform::sockets();
    for (int reads = 0; reads < kMostStaleReads && ops.wait_readable(socket, waitMs) == platform::Wait::ready;
         ++reads) {
        if (ops.recv_from(socket, scratch.data(), static_cast<int>(scratch.size()), nullptr) < 0) return;
    }
}

std::int32_t udp_exchange(DevContext& dev, std::string_view command, std::span<char> response, std::span<char> scratch,
                          const CallTrace& trace) noexcept {
    const int length = static_cast<int>(std::min<std::size_t>(command.size(), INT_MAX));
    const int sent = platform::sockets().send_to(dev.udpSocket, command.data(), length, dev.udpPeer);
    const int sendError = sent < 0 ? platform::sockets().last_error() : 0;
    last_exchange::record_sent(command);
    if (sent < 0) return trace.fail("send", MPDLL_E_TRANSPORT, "the datagram could not be sent", sendError);
    session_log::sent(command.substr(0, static_cast<std::size_t>(sent)));

    const ReceiveWindow window;
    do {
        const platform::SocketOps& ops = platform::sockets();
        const platform::Wait readable = ops.wait_readable(dev.udpSocket, kPollIntervalMs);
        if (readable == platform::Wait::failed)
            return trace.fail("receive", MPDLL_E_TRANSPORT, "waiting for the socket failed", ops.last_error());
        if (readable != platform::Wait::ready) continue;
        std::memset(response.data(), 0, response.size());
        MpSockAddrIn sender{};
        const int got = ops.recv_from(dev.udpSocket, response.data(), static_cast<int>(response.size() - 1), &sender);
        if (got < 0) return trace.fail("receive", MPDLL_E_TRANSPORT, "the socket read failed", ops.last_error());
        if (from_board(sender, dev.udpPeer))
            session_log::received(std::string_view(response.data(), static_cast<std::size_t>(got)));
        if (!from_board(sender, dev.udpPeer)) {
            std::memset(response.data(), 0, response.size());
            continue;
        }
        dev.udpPeer = sender;
        last_exchange::record_received(text_within(response.data(), static_cast<std::size_t>(got)));
        discard_datagrams(dev.udpSocket, scratch, kDuplicateGraceMs);
        return MPDLL_OK;
    } while (window.open());
    last_exchange::record_received(kNoReplyNote);
    return MPDLL_OK;
}

}  // namespace mpdll
