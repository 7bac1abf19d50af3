// Serial line settings: the caller's DCB-shaped record in termios terms.
#pragma once

#include <termios.h>

#include "mpdll/mpdll.h"

namespace mpdll::platform {
// Puts baud rate, byte size, parity, stop bits and flow control of dcb into
// line (left raw otherwise); false when the baud rate or byte size has no
// termios form.
bool apply_line_settings(const MpDcb& dcb, termios* line);
}  // namespace mpdll::platform
