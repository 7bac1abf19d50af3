// The table of transports, and the one place a record's mode is read to
// choose among them.
#include "connection/transport.h"

namespace mpdll {
namespace {
constexpr const Transport* kTransports[] = {&udpTransport, &telnetTransport, &serialTransport};
}  // namespace

const Transport* transport_for(std::int32_t mode) noexcept {
    for (const Transport* transport : kTransports)
        if (transport->mode == mode) return transport;
    return nullptr;
}

const Transport* transport_of(const DevContext& dev) noexcept { return transport_for(dev.mode); }

std::span<const Transport* const> all_transports() noexcept { return kTransports; }

}  // namespace mpdll
