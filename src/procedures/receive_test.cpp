// The receive test: start reception (with or without address filters), read
// the received-packet counters, restart counting, stop.
#include "mpdll/mpdll.h"
#include "procedures/step_sequence.h"

namespace {

// A filter text that is missing or empty sets no filter of its kind.
bool no_filter(const char* address) noexcept { return address == nullptr || address[0] == '\0'; }

}  // namespace

using mpdll::procedures::run_in_order;

MPDLL_API int32_t MPDLL_CALL RxStart(DevContext* dev, int32_t bw40, int32_t shortGI, const char* channel,
                                     const char* antenna) MPDLL_NOEXCEPT {
    if (dev == nullptr || channel == nullptr || antenna == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return run_in_order([&] { return mp_arx_filter_clean(dev); },  // a filter left from an earlier test
                        [&] { return mp_bandwidth(dev, bw40, shortGI); }, [&] { return mp_channel(dev, channel); },
                        [&] { return mp_ant_rx(dev, antenna); }, [&] { return mp_arx_start(dev); });
}

// The filters go to the board source address first, then destination
// address, then BSSID.
MPDLL_API int32_t MPDLL_CALL RxStartWithFilter(DevContext* dev, int32_t bw40, int32_t shortGI, const char* channel,
                                               const char* antenna, const char* filterDA, const char* filterSA,
                                               const char* filterBSSID) MPDLL_NOEXCEPT {
    if (dev == nullptr || channel == nullptr || antenna == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return run_in_order([&] { return mp_bandwidth(dev, bw40, shortGI); }, [&] { return mp_channel(dev, channel); },
                        [&] { return mp_ant_rx(dev, antenna); }, [&] { return mp_arx_filter_init(dev); },
                        [&] { return no_filter(filterSA) ? 0 : mp_arx_filter_sa(dev, filterSA); },
                        [&] { return no_filter(filterDA) ? 0 : mp_arx_filter_da(dev, filterDA); },
                        [&] { return no_filter(filterBSSID) ? 0 : mp_arx_filter_bssid(dev, filterBSSID); },
                        [&] { return mp_arx_start(dev); });
}

// The same query reads the transmit counters too; they are dropped here.
MPDLL_API int32_t MPDLL_CALL RxQuery(DevContext* dev, int32_t* rxOk, int32_t* crcError) MPDLL_NOEXCEPT {
    if (dev == nullptr || rxOk == nullptr || crcError == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    int32_t txOk = 0;
    int32_t txFail = 0;
    return mp_query(dev, &txOk, &txFail, rxOk, crcError);
}

// Starting reception again restarts the board's counting; settings and
// filters stay as they are.
MPDLL_API int32_t MPDLL_CALL RxResetCounter(DevContext* dev) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return mp_arx_start(dev);
}

MPDLL_API int32_t MPDLL_CALL RxStop(DevContext* dev) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return run_in_order([&] { return mp_arx_filter_clean(dev); }, [&] { return mp_arx_stop(dev); });
}
