// Thermal power tracking on the board: start it (with a thermal reference
// when one in range is given), read the thermal value, stop it. The words
// and the reference range are those of mp_pwrtrk_start and mp_pwrtrk_stop.
#include "mpdll/mpdll.h"

MPDLL_API int32_t MPDLL_CALL PowerTrackingOn(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return mp_pwrtrk_start(dev, thermal);
}

MPDLL_API int32_t MPDLL_CALL PowerTrackingQuery(DevContext* dev, int32_t* thermalOut) MPDLL_NOEXCEPT {
    if (dev == nullptr || thermalOut == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return mp_ther(dev, thermalOut);
}

MPDLL_API int32_t MPDLL_CALL PowerTrackingOff(DevContext* dev) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return mp_pwrtrk_stop(dev);
}
