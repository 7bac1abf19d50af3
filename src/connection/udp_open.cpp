// Opening the UDP path: two datagram sockets and the named objects for the
// caller's UDP side. Nothing goes to the board, and this never fails. And
// DevTimeout, which stores the UDP command time-out for the caller's UDP side.
#include "connection/device_open_close.h"
#include "platform/platform.h"
#include "text/byte_order.h"

namespace mpdll {
namespace {
constexpr std::int32_t kUdpCommandTimeoutMs = 5000;
constexpr std::uint16_t kUdpCommandPort = 9034;
}  // namespace

std::int32_t open_udp(DevContext& dev) noexcept {
    dev.cmdTimeout = kUdpCommandTimeoutMs;
    dev.udpPeer.family = platform::kFamilyIpv4;
    dev.udpPeer.port = network_order16(kUdpCommandPort);
    const platform::SocketOps& ops = platform::sockets();
    dev.udpSocket = ops.open_udp();
    dev.udpAuxSocket = ops.open_udp();
    dev.cmdMutex = platform::create_named_mutex("MUTEX_CMD");
    dev.cmdEvent = platform::create_named_event("EVENT_CMD", true);
    dev.cmdDoneEvent = platform::create_named_event("EVENT_CMD_DONE", false);
    return finish_open(dev, MPDLL_MODE_UDP);
}

}  // namespace mpdll

MPDLL_API DevContext* MPDLL_CALL DevTimeout(DevContext* dev, int32_t timeoutMs) MPDLL_NOEXCEPT {
    if (dev) dev->cmdTimeout = timeoutMs;
    return dev;
}
