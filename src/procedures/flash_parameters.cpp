// Named calibration values in the board's flash: read with "flash get",
// written with "flash set". These shell lines are sent as written: no tool
// word and no interface name is put in.
#include <span>
#include <string_view>

#include "commands/board_exchange.h"
#include "commands/response_scan.h"
#include "mpdll/mpdll.h"

namespace mpdll::procedures {
namespace {

using scan::Target;

// The board gives a moment to write its flash before the prompt returns.
constexpr int32_t kFlashWriteWait = 500;

// Telnet and serial: any name, "=", then the value.
int32_t parse_shell_value(std::string_view text, char* valueOut) noexcept {
    const Target targets[] = {Target::skip(), Target::into(std::span<char>(valueOut, text.size() + 1))};
    return scan::scan(text, "%[^=]=%s", targets) == 2 ? MPDLL_OK : MPDLL_E_REPLY;
}

// UDP: "data:", the very name asked for, "=", then the value, which the board
// closes with a BEL. The name is compared as it stands, never as a format.
int32_t parse_udp_value(std::string_view text, std::string_view name, char* valueOut) noexcept {
    constexpr std::string_view kData = "data:";
    if (!text.starts_with(kData) || !text.substr(kData.size()).starts_with(name) ||
        !text.substr(kData.size() + name.size()).starts_with('=')) {
        return MPDLL_E_REPLY;
    }
    const std::string_view rest = text.substr(kData.size() + name.size() + 1);
    const Target targets[] = {Target::into_until_bel(std::span<char>(valueOut, rest.size() + 1))};
    return scan::scan(rest, "%s", targets) == 1 ? MPDLL_OK : MPDLL_E_REPLY;
}

}  // namespace
}  // namespace mpdll::procedures

using mpdll::commands::CommandText;
using mpdll::commands::Response;
using mpdll::commands::response_text;

// valueOut needs room for the value: at most the whole response, 16384 bytes.
MPDLL_API int32_t MPDLL_CALL FlashGet(DevContext* dev, const char* paramName, char* valueOut) MPDLL_NOEXCEPT {
    if (dev == nullptr || paramName == nullptr || valueOut == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("flash get ").append(paramName);
    Response response;
    if (const int32_t status = mpdll::commands::read_output(*dev, line, response); status != MPDLL_OK) {
        return status;
    }
    // The exchange ran, so the mode is one of the three.
    if (dev->mode == MPDLL_MODE_UDP) {
        return mpdll::procedures::parse_udp_value(response_text(response), paramName, valueOut);
    }
    return mpdll::procedures::parse_shell_value(response_text(response), valueOut);
}

// The board's answer is not judged; a failed exchange returns its status.
MPDLL_API int32_t MPDLL_CALL FlashSet(DevContext* dev, const char* paramName, const char* paramValue) MPDLL_NOEXCEPT {
    if (dev == nullptr || paramName == nullptr || paramValue == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("flash set ").append(paramName).append(" ").append(paramValue);
    Response response;
    return mpdll::commands::exchange(*dev, line, response, mpdll::procedures::kFlashWriteWait);
}
