// Opening the telnet session: connect within 5 s to ipText (port 23 unless
// the text names one), then negotiation, login and firstCommand. A failed
// open closes its socket and leaves telnetSocket invalid.
#include "connection/telnet/telnet_open.h"

#include "connection/device_open_close.h"
#include "connection/trace.h"
#include "connection/transport.h"
#include "connection/telnet/telnet_address.h"
#include "connection/telnet/telnet_login.h"
#include "platform/platform.h"
#include "text/bounded_text.h"

namespace mpdll {
namespace {

constexpr int kDefaultSocketTimeoutMs = 5000;
constexpr int kConnectTimeoutMs = 5000;

int socket_timeout(std::int32_t given) { return given > 0 ? given : kDefaultSocketTimeoutMs; }

// Makes the connection; a failure leaves the socket for the caller to close
// and says why in the trace.
bool connect_socket(DevContext& dev, MpSocket socket, const OpenTrace& trace) {
    const platform::SocketOps& ops = platform::sockets();
    if (!ops.set_timeouts(socket, socket_timeout(dev.sendTimeout), socket_timeout(dev.recvTimeout)) ||
        !ops.set_nonblocking(socket, true)) {
        trace.fail("the socket options could not be set", ops.last_error());
        return false;
    }
    const auto peer = telnet_peer(field_text(dev.ipText));
    if (!peer) {
        trace.fail("ipText is no IPv4 address with an optional port");
        return false;
    }
    dev.telnetPeer = *peer;
    dev.telnetSocket = socket;
    ops.start_connect(socket, dev.telnetPeer);
    const platform::Wait connected = ops.wait_writable(socket, kConnectTimeoutMs);
    if (connected == platform::Wait::timeout) {
        trace.fail("the board did not take the connection within 5 s");
        return false;
    }
    if (connected == platform::Wait::failed) {
        trace.fail("the board did not take the connection (refused or unreachable)", ops.last_error());
        return false;
    }
    if (!ops.set_nonblocking(socket, false)) {
        trace.fail("the socket could not be made blocking", ops.last_error());
        return false;
    }
    return true;
}

}  // namespace

std::int32_t open_telnet(DevContext& dev) noexcept {
    OpenTrace trace(telnetTransport.firstOpenStep, field_text(dev.password));
    const MpSocket socket = platform::sockets().open_tcp();
    if (!platform::sockets().is_valid(socket)) {
        dev.telnetSocket = platform::kInvalidSocket;
        return trace.fail("no socket could be made", platform::sockets().last_error());
    }
    if (!connect_socket(dev, socket, trace) || telnet_login(dev, trace) != MPDLL_OK) {
        platform::sockets().close(socket);
        dev.telnetSocket = platform::kInvalidSocket;
        return MPDLL_E_OPEN;
    }
    return finish_open(dev, MPDLL_MODE_TELNET);
}

}  // namespace mpdll
