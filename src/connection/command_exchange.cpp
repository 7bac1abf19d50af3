// SendCommand: runs one shell command line on the board over the transport
// the record's mode selects and hands back that line's own answer, without
// its echo (and normally without the prompt).
#include <cstring>
#include <span>

#include "connection/answer/response_trim.h"
#include "connection/last_exchange.h"
#include "connection/session_log.h"
#include "connection/transport.h"

static int32_t send_command(DevContext* dev, const char* command, char* response, int32_t responseSize,
                            int32_t keepPrompt, int32_t wait) noexcept {
    using namespace mpdll;
    if (!dev || !command || !response || responseSize < 1) return MPDLL_E_ARGUMENT;
    const std::span<char> answer(response, static_cast<std::size_t>(responseSize));
    const std::string_view line(command);
    if (line.size() > INT32_MAX) return MPDLL_E_ARGUMENT;
    const Transport* transport = transport_of(*dev);
    std::memset(response, 0, answer.size());
    last_exchange::clear();
    if (!transport) return MPDLL_E_MODE;
    return transport->exchange(*dev, line, answer, keeps_prompt(keepPrompt), wait);
}

MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response, int32_t responseSize,
                                         int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT {
    return mpdll::session_log::logged_call(
        dev, "SendCommand", [&] { return send_command(dev, command, response, responseSize, keepPrompt, wait); });
}
