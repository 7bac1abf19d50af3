// DevTimeout: stores the UDP command time-out for the caller's UDP side
// (the open sets it to 5000 ms); the library's own exchanges do not read it.
#include "mpdll/mpdll.h"

MPDLL_API DevContext* MPDLL_CALL DevTimeout(DevContext* dev, int32_t timeoutMs) MPDLL_NOEXCEPT {
    if (dev) dev->cmdTimeout = timeoutMs;
    return dev;
}
