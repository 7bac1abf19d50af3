// Opening the UDP path: two datagram sockets and the named objects for the
// caller's UDP side. Nothing goes to the board. When a socket or a named
// object cannot be made, the open fails, says why in the trace and closes
// what it made.
#include "connection/udp/udp_open.h"

#include <initializer_list>
#include <string_view>

#include "connection/device_open_close.h"
#include "connection/trace.h"
#include "connection/transport.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"
#include "text/byte_order.h"

namespace mpdll {
namespace {
constexpr std::int32_t kUdpCommandTimeoutMs = 5000;

void close_socket(MpSocket& socket) {
    if (platform::sockets().is_valid(socket)) platform::sockets().close(socket);
    socket = platform::kInvalidSocket;
}

void close_named(MpHandle& object) {
    platform::close_named(object);
    object = nullptr;
}

std::int32_t udp_open_failed(DevContext& dev, const OpenTrace& trace, std::string_view why, int error) {
    release_udp_handles(dev);
    return trace.fail(why, error);
}

// The named objects, in the order they are made.
struct NamedObject {
    MpHandle DevContext::*handle;
    const char* name;
    bool event;
    bool manualReset;
};
constexpr NamedObject kNamedObjects[] = {
    {&DevContext::cmdMutex, "MUTEX_CMD", false, false},
    {&DevContext::cmdEvent, "EVENT_CMD", true, true},
    {&DevContext::cmdDoneEvent, "EVENT_CMD_DONE", true, false},
};
}  // namespace

void release_udp_handles(DevContext& dev) noexcept {
    close_socket(dev.udpSocket);
    close_socket(dev.udpAuxSocket);
    close_named(dev.cmdDoneEvent);
    close_named(dev.cmdEvent);
    close_named(dev.cmdMutex);
}

std::int32_t open_udp(DevContext& dev) noexcept {
    OpenTrace trace(udpTransport.firstOpenStep, "");
    dev.cmdTimeout = kUdpCommandTimeoutMs;
    dev.udpPeer.family = platform::kFamilyIpv4;
    dev.udpPeer.port = network_order16(kUdpCommandPort);
    dev.udpSocket = dev.udpAuxSocket = platform::kInvalidSocket;
    dev.cmdMutex = dev.cmdEvent = dev.cmdDoneEvent = nullptr;

    trace.step("UDP socket");
    const platform::SocketOps& ops = platform::sockets();
    for (MpSocket* socket : {&dev.udpSocket, &dev.udpAuxSocket}) {
        *socket = ops.open_udp();
        if (!ops.is_valid(*socket)) {
            *socket = platform::kInvalidSocket;
            return udp_open_failed(dev, trace, "no datagram socket could be made", ops.last_error());
        }
    }
    trace.step("named objects");
    for (const NamedObject& object : kNamedObjects) {
        MpHandle& handle = dev.*object.handle;
        handle = object.event ? platform::create_named_event(object.name, object.manualReset)
                              : platform::create_named_mutex(object.name);
        if (!handle) {
            FixedText<64> why;
            why.append(object.name).append(" could not be made");
            return udp_open_failed(dev, trace, why.view(), platform::named_object_error());
        }
    }
    return finish_open(dev, MPDLL_MODE_UDP);
}

}  // namespace mpdll
