// RF registers: read with "irf", written with "orf". The board reports a
// register as four decimal numbers, most significant byte first. The lines
// are sent as written, with no names put in.
#include "commands/board_query.h"
#include "mpdll/mpdll.h"

namespace {

// ((b1 << 8 | b2) << 8 | b3) << 8 | b4 in unsigned 32-bit arithmetic. The
// numbers are not masked to a byte: one above 255 or below 0 also sets bits
// of the bytes above its own, as the board's tools have always combined them.
std::uint32_t register_value(std::int32_t b1, std::int32_t b2, std::int32_t b3, std::int32_t b4) noexcept {
    std::uint32_t value = static_cast<std::uint32_t>(b1);
    for (const std::int32_t next : {b2, b3, b4}) {
        value = (value << 8) | static_cast<std::uint32_t>(next);
    }
    return value;
}

}  // namespace

using mpdll::commands::CommandText;
using mpdll::commands::Query;
using mpdll::commands::Response;
using mpdll::scan::Target;

// The UDP answer names "wlan0" whatever the board's interface is called.
MPDLL_API int32_t MPDLL_CALL RegisterGet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                         uint32_t* regValueOut) MPDLL_NOEXCEPT {
    if (dev == nullptr || regValueOut == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("irf ").append_decimal(regSel1).append(" ").append_decimal(regSel2);
    std::int32_t b[4] = {};
    const Target numbers[] = {Target::number(&b[0]), Target::number(&b[1]), Target::number(&b[2]),
                              Target::number(&b[3])};
    const Target labelAndNumbers[] = {Target::skip(), numbers[0], numbers[1], numbers[2], numbers[3]};
    const Query query{
        .udp = {.format = "data:wlan0     read_rf:%d  %d  %d  %d  \a", .targets = numbers},
        .shell = {.format = "%[^:]:%d %d %d %d", .targets = labelAndNumbers},
        .fetchedOverUdp = true,
    };
    Response response;
    if (const int32_t status = mpdll::commands::run_query(*dev, line, query, response); status != MPDLL_OK) {
        return status;
    }
    *regValueOut = register_value(b[0], b[1], b[2], b[3]);
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL RegisterSet(DevContext* dev, int32_t regSel1, int32_t regSel2,
                                         uint32_t regValue) MPDLL_NOEXCEPT {
    if (dev == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("orf ").append_decimal(regSel1).append(" ").append_decimal(regSel2).append(" ").append_hex(regValue);
    Response response;
    return mpdll::commands::run_query(*dev, line, mpdll::commands::kSetting, response);
}
