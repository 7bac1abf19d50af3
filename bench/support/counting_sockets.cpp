// Forwarding socket table with a receive count.
#include "support/counting_sockets.h"

#include "platform/platform.h"

namespace mpbench {
namespace {

using mpdll::platform::SocketOps;

SocketOps original{};
SocketOps counting{};
long receiveCount = 0;

int counted_recv(MpSocket s, char* data, int capacity) {
    ++receiveCount;
    return original.recv(s, data, capacity);
}

}  // namespace

ReceiveCounter::ReceiveCounter() {
    original = mpdll::platform::sockets();
    counting = original;
    counting.recv = counted_recv;
    receiveCount = 0;
    mpdll::platform::use_socket_ops(&counting);
}

ReceiveCounter::~ReceiveCounter() { mpdll::platform::use_socket_ops(nullptr); }

long ReceiveCounter::receives() const { return receiveCount; }

void ReceiveCounter::reset() { receiveCount = 0; }

}  // namespace mpbench
