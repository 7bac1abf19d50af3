// The setting commands: one board test command each, run through the shared
// command wrapper.
#include "commands/command_catalogue.h"
#include "testmode/command_runner.h"

using namespace mpdll::commands;
using mpdll::testmode::run_setting;
using mpdll::testmode::run_text_setting;

MPDLL_API int32_t MPDLL_CALL mp_start(DevContext* dev) MPDLL_NOEXCEPT { return run_setting(dev, kMpStart, {}); }

MPDLL_API int32_t MPDLL_CALL mp_stop(DevContext* dev) MPDLL_NOEXCEPT { return run_setting(dev, kMpStop, {}); }

MPDLL_API int32_t MPDLL_CALL mp_rate(DevContext* dev, const char* rate) MPDLL_NOEXCEPT {
    if (rate == nullptr) return MPDLL_E_ARGUMENT;
    return run_setting(dev, kMpRate, {mp_rate_s2i(rate)});
}

MPDLL_API int32_t MPDLL_CALL mp_channel(DevContext* dev, const char* channel) MPDLL_NOEXCEPT {
    if (channel == nullptr) return MPDLL_E_ARGUMENT;
    return run_setting(dev, kMpChannel, {mp_channel_s2i(channel)});
}

MPDLL_API int32_t MPDLL_CALL mp_bandwidth(DevContext* dev, int32_t bw40, int32_t shortGI) MPDLL_NOEXCEPT {
    return run_setting(dev, kMpBandwidth, {bw40, shortGI});
}

MPDLL_API int32_t MPDLL_CALL mp_txpower(DevContext* dev, int32_t pathA, int32_t pathB) MPDLL_NOEXCEPT {
    return run_setting(dev, kMpTxpower, {pathA, pathB});
}

MPDLL_API int32_t MPDLL_CALL mp_phypara(DevContext* dev, int32_t xcap) MPDLL_NOEXCEPT {
    return run_setting(dev, kMpPhypara, {xcap});
}

// The settings that pass the caller's text as the command's one argument.
MPDLL_API int32_t MPDLL_CALL mp_txpower_a(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpTxpowerText, text);
}

MPDLL_API int32_t MPDLL_CALL mp_bssid(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpBssid, text);
}

MPDLL_API int32_t MPDLL_CALL mp_ant_tx(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpAntTx, text);
}

MPDLL_API int32_t MPDLL_CALL mp_ant_rx(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpAntRx, text);
}

MPDLL_API int32_t MPDLL_CALL mp_arx(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpArx, text);
}

MPDLL_API int32_t MPDLL_CALL mp_ctx(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpCtx, text);
}

MPDLL_API int32_t MPDLL_CALL mp_pwrtrk(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return run_text_setting(dev, kMpPwrtrk, text);
}
