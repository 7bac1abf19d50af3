// The operation tables of the platform the library was built for; each
// backend (posix/, win32/) defines these.
#pragma once

#include "platform/platform.h"

namespace mpdll::platform {
const SocketOps& native_socket_ops();
const SerialOps& native_serial_ops();
}  // namespace mpdll::platform
