// The port time-outs of each open serial port: termios has no place for the
// five Windows-style values, so the backend keeps them beside the descriptor.
#pragma once

#include "mpdll/mpdll.h"

namespace mpdll::platform::serial_port_table {
// A newly opened port starts with the library's defaults (100/0/0/100/500).
// A pseudo-terminal hands every byte written to its other end at once.
void remember(int fd, bool pseudoTerminal);
bool set(int fd, const MpCommTimeouts& timeouts);
// The port's time-outs, or the defaults for a port the table does not know.
MpCommTimeouts get(int fd);
bool is_pseudo_terminal(int fd);
void forget(int fd);
}  // namespace mpdll::platform::serial_port_table
