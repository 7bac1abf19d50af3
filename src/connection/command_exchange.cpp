// SendCommand: runs one shell command line on the board over the transport
// the record's mode selects and hands back that line's own answer, without
// its echo (and normally without the prompt).
#include <cstring>
#include <span>

#include "connection/answer/response_trim.h"
#include "connection/last_exchange.h"
#include "connection/trace.h"
#include "connection/transport.h"

static int32_t send_command(DevContext* dev, const char* command, char* response, int32_t responseSize,
                            int32_t keepPrompt, int32_t wait, const mpdll::CallTrace& trace) noexcept {
    using namespace mpdll;
    if (!dev || !command || !response || responseSize < 1)
        return trace.fail("arguments", MPDLL_E_ARGUMENT,
                          "dev, command or response is missing, or responseSize is below 1");
    const std::span<char> answer(response, static_cast<std::size_t>(responseSize));
    const std::string_view line(command);
    if (line.size() > INT32_MAX) return trace.fail("arguments", MPDLL_E_ARGUMENT, "the command is 2 GiB or longer");
    const Transport* transport = transport_of(*dev);
    std::memset(response, 0, answer.size());
    last_exchange::clear();
    if (!transport)
        return trace.fail("mode", MPDLL_E_MODE, "the record's mode names no transport (1 UDP, 2 telnet, 4 serial)");
    return transport->exchange(*dev, line, answer, keeps_prompt(keepPrompt), wait, trace);
}

MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response, int32_t responseSize,
                                         int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT {
    return mpdll::traced_call(dev, "SendCommand", [&](const mpdll::CallTrace& trace) {
        return send_command(dev, command, response, responseSize, keepPrompt, wait, trace);
    });
}
