// The transmit test: apply the radio settings one after another, then start
// continuous transmission; and stop it again.
#include <array>
#include <string_view>

#include "commands/command_catalogue.h"
#include "commands/command_line.h"
#include "mpdll/mpdll.h"
#include "procedures/step_sequence.h"
#include "procedures/transmit_argument.h"

namespace mpdll::procedures {
namespace {

using commands::CommandId;

// The catalogue word that opens each transmit mode; mode 1 has none (the
// empty word). Every mode closes with the background word.
CommandId opening_word(std::uint32_t txMode) noexcept {
    switch (txMode) {
        case 1:
            return commands::kCtxEmpty;
        case 2:
            return commands::kCtxStone;
        case 3:
            return commands::kCtxCs;
        default:
            return commands::kCtxPkt;
    }
}

// A transmit word from the catalogue (they read the same for every chip).
std::string_view word(CommandId id) noexcept { return *commands::catalogue_text(id, false); }

}  // namespace

TransmitArgument transmit_argument(std::uint32_t txMode, std::int32_t count, std::int32_t time) noexcept {
    TransmitArgument text;
    if (time > 0) {
        text.append("time=").append_decimal(time);
    }
    if (count > 0) {
        text.append_item("count=").append_decimal(count);
    }
    if (const std::string_view opening = word(opening_word(txMode)); !opening.empty()) {
        text.append_item(opening);
    }
    text.append_item(word(commands::kCtxBackground));
    return text;
}

}  // namespace mpdll::procedures

MPDLL_API int32_t MPDLL_CALL TxStart(DevContext* dev, uint32_t txMode, int32_t bw40, int32_t shortGI,
                                     const char* channel, const char* rate, const char* antenna, int32_t powerA,
                                     int32_t powerB, int32_t count, int32_t time) MPDLL_NOEXCEPT {
    if (dev == nullptr || channel == nullptr || rate == nullptr || antenna == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    return mpdll::procedures::run_in_order(
        [&] { return mp_bandwidth(dev, bw40, shortGI); }, [&] { return mp_channel(dev, channel); },
        [&] { return mp_rate(dev, rate); }, [&] { return mp_ant_tx(dev, antenna); },
        [&] { return mp_txpower(dev, powerA, powerB); },
        [&] { return mp_ctx(dev, mpdll::procedures::transmit_argument(txMode, count, time).c_str()); });
}

MPDLL_API int32_t MPDLL_CALL TxStop(DevContext* dev) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    std::array<char, mpdll::kCommandSize> stop{};
    mpdll::commands::compose_word(mpdll::commands::kCtxStop, {}, stop);  // a fixed word always fits
    return mp_ctx(dev, stop.data());
}
