// Opening the telnet session: connect within 5 s to ipText (port 23 unless
// the text names one), then negotiation, login and firstCommand. A failed
// open closes its socket and leaves telnetSocket invalid.
#include "connection/bounded_text.h"
#include "connection/device_open.h"
#include "connection/telnet_address.h"
#include "connection/telnet_login.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

constexpr int kDefaultSocketTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;

int socket_timeout(std::int32_t given) { return given > 0 ? given : kDefaultSocketTimeoutMs; }

// Makes the connection; false leaves the socket for the caller to close.
bool connect_socket(DevContext& dev, MpSocket socket) {
    const platform::SocketOps& ops = platform::sockets();
    if (!ops.set_timeouts(socket, socket_timeout(dev.sendTimeout), socket_timeout(dev.recvTimeout))) return false;
    if (!ops.set_nonblocking(socket, true)) return false;
    const auto peer = telnet_peer(field_text(dev.ipText));
    if (!peer) return false;
    dev.telnetPeer = *peer;
    dev.telnetSocket = socket;
    ops.start_connect(socket, dev.telnetPeer);
    if (ops.wait_writable(socket, kConnectTimeoutMs) != platform::Wait::ready) return false;
    return ops.set_nonblocking(socket, false);
}

}  // namespace

std::int32_t open_telnet(DevContext& dev) noexcept {
    const MpSocket socket = platform::sockets().open_tcp();
    const bool made = platform::sockets().is_valid(socket);
    if (!made || !connect_socket(dev, socket) || telnet_login(dev) != MPDLL_OK) {
        if (made) platform::sockets().close(socket);
        dev.telnetSocket = platform::kInvalidSocket;
        return MPDLL_E_OPEN;
    }
    return finish_open(dev, MPDLL_MODE_TELNET);
}

}  // namespace mpdll
