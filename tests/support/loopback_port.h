// A TCP port on the loopback interface that nobody listens on right now.
#pragma once

namespace mpdll::test {
// Bound by the system, noted and closed again: free for a peer to listen on,
// or refused when a client connects to it.
int unused_loopback_port();
}  // namespace mpdll::test
