// The command catalogue: every board command line and argument word the
// library sends, by its command identifier, before the board's interface
// name and tool word are put in.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace mpdll::commands {

// Identifiers the library itself uses.
enum CommandId : std::uint32_t {
    kMpStart = 0,
    kMpStop = 1,
    kMpRate = 2,
    kMpChannel = 3,
    kMpBandwidth = 4,
    kMpTxpower = 5,
    kMpPhypara = 6,
    kMpBssid = 7,
    kMpAntTx = 8,
    kMpAntRx = 9,
    kMpArx = 10,
    kArxFilterInit = 11,
    kArxFilterClean = 12,
    kArxFilterDa = 13,
    kArxFilterSa = 14,
    kArxFilterBssid = 15,
    kArxStart = 16,
    kArxStop = 17,
    kMpCtx = 18,
    kCtxPkt = 19,
    kCtxEmpty = 20,
    kCtxStone = 21,
    kCtxCs = 22,
    kCtxBackground = 23,
    kCtxStart = 24,
    kCtxStop = 25,
    kMpQuery = 26,
    kMpPwrtrk = 27,
    kPwrtrkStart = 28,
    kMpTher = 29,
    kPwrtrkStop = 30,
    kMpTssi = 31,
    kPwrtrkTher = 32,
    kArxFilterReport = 33,
    kMpTxpowerText = 100,
    kTxpowerAddByRate = 101,
};

// The catalogue text of `id`, or nothing when `id` is not in the catalogue.
// Command 33 reads "filter_clean" for the chip model that has no filter
// report (chipFlag set) and "filter_print" otherwise.
std::optional<std::string_view> catalogue_text(std::uint32_t id, bool chipFlag) noexcept;

}  // namespace mpdll::commands
