// Selects the operation tables the library uses: the platform's own, or a
// table a test swapped in.
#include <atomic>

#include "platform/native_ops.h"
#include "platform/platform.h"

namespace mpdll::platform {
namespace {
std::atomic<const SocketOps*> swappedSockets{nullptr};
std::atomic<const SerialOps*> swappedSerial{nullptr};
}  // namespace

const SocketOps& sockets() {
    const SocketOps* ops = swappedSockets.load(std::memory_order_acquire);
    return ops ? *ops : native_socket_ops();
}

const SerialOps& serial() {
    const SerialOps* ops = swappedSerial.load(std::memory_order_acquire);
    return ops ? *ops : native_serial_ops();
}

void use_socket_ops(const SocketOps* ops) { swappedSockets.store(ops, std::memory_order_release); }
void use_serial_ops(const SerialOps* ops) { swappedSerial.store(ops, std::memory_order_release); }

}  // namespace mpdll::platform
