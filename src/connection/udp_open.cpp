// Opening the UDP path: two datagram sockets and the named objects for the
// caller's UDP side. Nothing goes to the board, and this never fails.
#include "connection/byte_order.h"
#include "connection/device_open.h"
#include "platform/platform.h"

namespace mpdll {
namespace {
constexpr std::int32_t kUdpCommandTimeoutMs = 5000;
constexpr std::uint16_t kFamilyIpv4 = 2;
constexpr std::uint16_t kUdpCommandPort = 9034;
}  // namespace

std::int32_t open_udp(DevContext& dev) noexcept {
    dev.cmdTimeout = kUdpCommandTimeoutMs;
    dev.udpPeer.family = kFamilyIpv4;
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
