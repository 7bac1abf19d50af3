// Named calibration values in the board's flash: read with "flash get",
// written with "flash set". These shell lines are sent as written: no tool
// word and no interface name is put in.
#include <span>
#include <string_view>

#include "commands/board_query.h"
#include "mpdll/mpdll.h"
#include "text/buffer_sizes.h"

namespace {

// The board gives a moment to write its flash before the prompt returns.
constexpr int32_t kFlashWriteWait = 500;

}  // namespace

using mpdll::commands::AnswerRead;
using mpdll::commands::CommandText;
using mpdll::commands::Query;
using mpdll::commands::Response;
using mpdll::scan::Target;

// valueOut needs room for the value: at most the whole response, 16384 bytes.
// Telnet and serial answer with any name, "=", then the value. UDP fetches
// "data:", the very name asked for (compared as it stands, never as a
// format), "=", then the value, which the board closes with a BEL.
MPDLL_API int32_t MPDLL_CALL FlashGet(DevContext* dev, const char* paramName, char* valueOut) MPDLL_NOEXCEPT {
    if (dev == nullptr || paramName == nullptr || valueOut == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("flash get ").append(paramName);
    CommandText udpLead;
    udpLead.append("data:").append(paramName).append("=");
    const std::span<char> value(valueOut, mpdll::kResponseSize);
    const Target nameAndValue[] = {Target::skip(), Target::into(value)};
    const Target valueUntilBel[] = {Target::into_until_bel(value)};
    const Query query{
        .udp = {.format = "%s", .targets = valueUntilBel, .lead = udpLead.view()},
        .shell = {.format = "%[^=]=%s", .targets = nameAndValue},
        .fetchedOverUdp = true,
    };
    Response response;
    return mpdll::commands::run_query(*dev, line, query, response);
}

// The board's answer is not judged; a failed exchange returns its status.
MPDLL_API int32_t MPDLL_CALL FlashSet(DevContext* dev, const char* paramName, const char* paramValue) MPDLL_NOEXCEPT {
    if (dev == nullptr || paramName == nullptr || paramValue == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    CommandText line;
    line.append("flash set ").append(paramName).append(" ").append(paramValue);
    Response response;
    return mpdll::commands::exchange(*dev, line, response, kFlashWriteWait);
}
