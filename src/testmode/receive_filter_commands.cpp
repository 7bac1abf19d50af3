// The receive filter commands: words sent through mp_arx, and the filter
// report, whose three addresses are read back.
#include <array>
#include <span>

#include "commands/board_names.h"
#include "commands/board_query.h"
#include "commands/command_catalogue.h"
#include "commands/command_line.h"
#include "testmode/command_runner.h"
#include "text/buffer_sizes.h"

using namespace mpdll::commands;
using mpdll::kCommandSize;
using mpdll::kMacTextSize;
using mpdll::scan::Target;

namespace {

// mp_arx with a catalogue word that takes the caller's address.
int32_t send_address_word(DevContext* dev, std::uint32_t wordId, const char* address) noexcept {
    if (dev == nullptr || address == nullptr) return MPDLL_E_ARGUMENT;
    std::array<char, kCommandSize> word{};
    if (const int32_t status = compose_word(wordId, {mpdll::testmode::text_argument(address)}, word);
        status != MPDLL_OK) {
        return status;
    }
    return mp_arx(dev, word.data());
}

int32_t send_word(DevContext* dev, std::uint32_t wordId) noexcept {
    std::array<char, kCommandSize> word{};
    compose_word(wordId, {}, word);  // a fixed word always fits
    return mp_arx(dev, word.data());
}

}  // namespace

// The fixed words, and the words that carry the caller's address.
MPDLL_API int32_t MPDLL_CALL mp_arx_start(DevContext* dev) MPDLL_NOEXCEPT { return send_word(dev, kArxStart); }
MPDLL_API int32_t MPDLL_CALL mp_arx_stop(DevContext* dev) MPDLL_NOEXCEPT { return send_word(dev, kArxStop); }
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_init(DevContext* dev) MPDLL_NOEXCEPT {
    return send_word(dev, kArxFilterInit);
}
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_clean(DevContext* dev) MPDLL_NOEXCEPT {
    return send_word(dev, kArxFilterClean);
}

MPDLL_API int32_t MPDLL_CALL mp_arx_filter_da(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return send_address_word(dev, kArxFilterDa, text);
}

MPDLL_API int32_t MPDLL_CALL mp_arx_filter_sa(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return send_address_word(dev, kArxFilterSa, text);
}

MPDLL_API int32_t MPDLL_CALL mp_arx_filter_bssid(DevContext* dev, const char* text) MPDLL_NOEXCEPT {
    return send_address_word(dev, kArxFilterBssid, text);
}

// The report lists SA before DA; the outputs take DA, SA, BSSID. Each output
// is 18 bytes and is written as its field is read, also when a later field
// fails. Over UDP the report is not read and the outputs keep their texts.
MPDLL_API int32_t MPDLL_CALL mp_arx_filter_print(DevContext* dev, char* daOut, char* saOut,
                                                 char* bssidOut) MPDLL_NOEXCEPT {
    if (dev == nullptr || daOut == nullptr || saOut == nullptr || bssidOut == nullptr) return MPDLL_E_ARGUMENT;
    const std::string_view word = *catalogue_text(kArxFilterReport, upper_case_chip_model(*dev));
    const Target targets[] = {Target::skip(), Target::skip(), Target::into(std::span<char>(saOut, kMacTextSize)),
                              Target::into(std::span<char>(daOut, kMacTextSize)),
                              Target::into(std::span<char>(bssidOut, kMacTextSize))};
    const Query query{
        .udp = kNothingRead,
        .shell = {.format = "%[^:]:FLAG:%dSA:%17sDA:%17sBSSID:%17s", .targets = targets},
        .shellInNormalForm = true,
    };
    Response response;
    return mpdll::testmode::run_command(*dev, kMpArx, {word}, query, response);
}
