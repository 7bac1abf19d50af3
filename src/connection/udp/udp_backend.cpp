// The UDP backend: the sockets and named objects of the caller's UDP side,
// and one datagram out and one back per command line.
#include "connection/transport.h"
#include "connection/udp/udp_exchange.h"
#include "connection/udp/udp_open.h"
#include "text/buffer_sizes.h"

namespace mpdll {
namespace {

void close_udp_side(DevContext& dev) noexcept {
    dev.udpStop = 1;
    release_udp_handles(dev);
}

// The line goes bare (keepPrompt and wait have no meaning here); what
// already waits belongs to an earlier exchange.
std::int32_t run_udp_line(DevContext& dev, std::string_view line, std::span<char> response, bool, std::int32_t,
                          const CallTrace& trace) noexcept {
    char scratch[kResponseSize];
    discard_datagrams(dev.udpSocket, scratch);
    return udp_exchange(dev, line, response, scratch, trace);
}

}  // namespace

constinit const Transport udpTransport{
    .mode = MPDLL_MODE_UDP,
    .name = "udp",
    .firstOpenStep = "udp",
    .open = open_udp,
    .close = close_udp_side,
    .exchange = run_udp_line,
    .reachesShell = false,
};

}  // namespace mpdll
