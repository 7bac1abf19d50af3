// OpenDev: opens the connection the record's mode names.
#include "connection/device_open.h"

MPDLL_API int32_t MPDLL_CALL OpenDev(DevContext* dev) MPDLL_NOEXCEPT {
    if (!dev) return MPDLL_E_ARGUMENT;
    switch (dev->mode) {
        case MPDLL_MODE_UDP: return mpdll::open_udp(*dev);
        case MPDLL_MODE_TELNET: return mpdll::open_telnet(*dev);
        case MPDLL_MODE_SERIAL: return mpdll::open_serial(*dev);
        default:
            dev->openFlags = 0;
            return MPDLL_E_OPEN_MODE;
    }
}
