// Thermal power tracking on the board: start it (with a thermal reference
// when one in range is given), read the thermal value, stop it.
#include "mpdll/mpdll.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace {

// The board takes a thermal reference only between these, both included.
constexpr int32_t kLowestReference = 7;
constexpr int32_t kHighestReference = 29;

}  // namespace

MPDLL_API int32_t MPDLL_CALL PowerTrackingOn(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    mpdll::FixedText<mpdll::kCommandSize> word;
    if (thermal >= kLowestReference && thermal <= kHighestReference) {
        word.append("ther=").append_decimal(thermal);
    } else {
        word.append("start");
    }
    return mp_pwrtrk(dev, word.c_str());
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
    return mp_pwrtrk(dev, "stop");
}
