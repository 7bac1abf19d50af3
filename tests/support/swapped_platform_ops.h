// Puts other socket or serial operation tables in the platform's place for
// the guard's lifetime; the destructor puts back the tables that were in use
// before, so guards nest (a fake board, then a test's failing variant of it);
// the outermost one leaves the platform's own tables in use.
#pragma once

#include "platform/native_ops.h"
#include "platform/platform.h"

namespace mpdll::test {

class SwappedPlatformOps {
  public:
    explicit SwappedPlatformOps(const platform::SocketOps& sockets) : previousSockets_(&platform::sockets()) {
        platform::use_socket_ops(&sockets);
    }
    explicit SwappedPlatformOps(const platform::SerialOps& serial) : previousSerial_(&platform::serial()) {
        platform::use_serial_ops(&serial);
    }
    SwappedPlatformOps(const platform::SocketOps& sockets, const platform::SerialOps& serial)
        : previousSockets_(&platform::sockets()), previousSerial_(&platform::serial()) {
        platform::use_socket_ops(&sockets);
        platform::use_serial_ops(&serial);
    }
    ~SwappedPlatformOps() {
        if (previousSockets_ != nullptr) {
            platform::use_socket_ops(previousSockets_ == &platform::native_socket_ops() ? nullptr : previousSockets_);
        }
        if (previousSerial_ != nullptr) {
            platform::use_serial_ops(previousSerial_ == &platform::native_serial_ops() ? nullptr : previousSerial_);
        }
    }
    SwappedPlatformOps(const SwappedPlatformOps&) = delete;
    SwappedPlatformOps& operator=(const SwappedPlatformOps&) = delete;

  private:
    const platform::SocketOps* previousSockets_ = nullptr;
    const platform::SerialOps* previousSerial_ = nullptr;
};

}  // namespace mpdll::test
