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
MPDLL_TEXT_EXPORT(mp_txpower_a, run_text_setting, kMpTxpowerText)
MPDLL_TEXT_EXPORT(mp_bssid, run_text_setting, kMpBssid)
MPDLL_TEXT_EXPORT(mp_ant_tx, run_text_setting, kMpAntTx)
MPDLL_TEXT_EXPORT(mp_ant_rx, run_text_setting, kMpAntRx)
MPDLL_TEXT_EXPORT(mp_arx, run_text_setting, kMpArx)
MPDLL_TEXT_EXPORT(mp_ctx, run_text_setting, kMpCtx)
MPDLL_TEXT_EXPORT(mp_pwrtrk, run_text_setting, kMpPwrtrk)
