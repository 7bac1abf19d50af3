// The command catalogue table (see command_catalogue.h).
#include "commands/command_catalogue.h"

#include <array>

namespace mpdll::commands {
namespace {

constexpr std::array<std::string_view, 34> kNumbered{
    "iwpriv wlan0 mp_start",                        // 0
    "iwpriv wlan0 mp_stop",                         // 1
    "iwpriv wlan0 mp_rate %d",                      // 2
    "iwpriv wlan0 mp_channel %d",                   // 3
    "iwpriv wlan0 mp_bandwidth 40M=%d,shortGI=%d",  // 4
    "iwpriv wlan0 mp_txpower patha=%d,pathb=%d",    // 5
    "iwpriv wlan0 mp_phypara xcap=%d",              // 6
    "iwpriv wlan0 mp_bssid %s",                     // 7
    "iwpriv wlan0 mp_ant_tx %s",                    // 8
    "iwpriv wlan0 mp_ant_rx %s",                    // 9
    "iwpriv wlan0 mp_arx %s",                       // 10
    "filter_init",                                  // 11
    "filter_clean",                                 // 12
    "filter_DA=%s",                                 // 13
    "filter_SA=%s",                                 // 14
    "filter_BSSID=%s",                              // 15
    "start",                                        // 16
    "stop",                                         // 17
    "iwpriv wlan0 mp_ctx %s",                       // 18
    "pkt",                                          // 19
    "",                                             // 20
    "stone",                                        // 21
    "cs",                                           // 22
    "background",                                   // 23
    "start",                                        // 24
    "stop",                                         // 25
    "iwpriv wlan0 mp_query",                        // 26
    "iwpriv wlan0 mp_pwrtrk %s",                    // 27
    "start",                                        // 28
    "iwpriv wlan0 mp_ther",                         // 29
    "stop",                                         // 30
    "iwpriv wlan0 mp_tssi",                         // 31
    "ther=%d",                                      // 32
    "filter_print",                                 // 33, see catalogue_text
};

}  // namespace

std::optional<std::string_view> catalogue_text(std::uint32_t id, bool chipFlag) noexcept {
    if (id == kArxFilterReport && chipFlag) return "filter_clean";
    if (id < kNumbered.size()) return kNumbered[id];
    if (id == kMpTxpowerText) return "iwpriv wlan0 mp_txpower %s";
    if (id == kTxpowerAddByRate) return "addbyrate";
    return std::nullopt;
}

}  // namespace mpdll::commands
