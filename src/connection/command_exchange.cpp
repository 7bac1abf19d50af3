// SendCommand: runs one shell command line on the board over the transport
// the record's mode selects and hands back that line's own answer, without
// its echo (and normally without the prompt).
#include <algorithm>
#include <cstring>
#include <span>

#include "connection/answer_framer.h"
#include "connection/last_exchange.h"
#include "connection/response_trim.h"
#include "connection/serial_transport.h"
#include "connection/session_log.h"
#include "connection/session_state.h"
#include "connection/stale_input.h"
#include "connection/telnet_transport.h"
#include "connection/udp_exchange.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace {

using namespace mpdll;

// The telnet or serial exchange of one line: what already waits is dropped
// (its prompts pay what the board owed), the line goes out, a positive wait
// is slept, and the answer is framed by the line's own echo and the prompt
// that ends the text. The session's knowledge is kept for the next line.
int32_t line_exchange(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                      int32_t wait) {
    const bool telnet = dev.mode == MPDLL_MODE_TELNET;
    const std::string_view prompt = field_text(dev.prompt);
    SessionState state = session::load(dev);
    char scratch[kResponseSize];
    DroppedInput dropped(prompt);
    if (telnet) {
        discard_telnet_input(dev, state.stream, dropped, scratch);
    } else {
        discard_serial_input(dev.serialHandle, dropped, scratch);
    }
    const std::size_t owed = state.owedPrompts - std::min(state.owedPrompts, dropped.prompts());
    std::memset(response.data(), 0, response.size());
    last_exchange::clear();

    const auto length = static_cast<int32_t>(line.size());
    int32_t status = telnet ? TelnetSnd(&dev, line.data(), length) : SerialSnd(&dev, line.data(), length);
    state.owedPrompts = owed;
    if (status != MPDLL_OK) {
        session::store(dev, state);
        return status;
    }
    if (wait > 0) platform::sleep_ms(wait);
    const bool quiet = wait == MPDLL_WAIT_QUIET;
    AnswerFramer framer(FramingRules{line, prompt, state.boardEchoes, owed, quiet, state.prompt_trailer()},
                        dropped.tail());
    if (telnet) {
        long long received = 0;
        status = telnet_receive(dev, state.stream, framer, quiet, received);
    } else {
        int32_t received = 0;
        status = serial_receive(dev, framer, wait, received);
    }
    if (status == MPDLL_OK) framer.close();
    // Line ends inside the line are lines of their own to the shell (a
    // firstCommand that ends in CR gets two): each owes one more prompt.
    state.owedPrompts = framer.owed_after() + static_cast<std::size_t>(std::count_if(
                                                  line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }));
    // Each answered line tells whether the board echoes now, and what its
    // line editor puts behind a prompt.
    if (framer.complete() && line.find_first_not_of("\r\n") != std::string_view::npos)
        state.boardEchoes = framer.echo_seen();
    if (framer.complete() && !quiet) state.learn_prompt_trailer(framer.trailer_seen());
    session::store(dev, state);
    if (status != MPDLL_OK) return status;
    if (!telnet && !framer.complete()) return MPDLL_E_SERIAL_TIMEOUT;
    last_exchange::record_received(framer.text());
    if (!telnet) platform::serial().purge(dev.serialHandle, platform::kPurgeAll);
    copy_text(response, framer.answer(keepPrompt));
    return MPDLL_OK;
}

}  // namespace

static int32_t send_command(DevContext* dev, const char* command, char* response, int32_t responseSize,
                            int32_t keepPrompt, int32_t wait) noexcept {
    if (!dev || !command || !response || responseSize < 1) return MPDLL_E_ARGUMENT;
    const std::span<char> answer(response, static_cast<std::size_t>(responseSize));
    const std::string_view line(command);
    if (line.size() > INT32_MAX) return MPDLL_E_ARGUMENT;

    switch (dev->mode) {
        case MPDLL_MODE_UDP: {
            // What already waits belongs to an earlier exchange.
            char scratch[kResponseSize];
            discard_datagrams(dev->udpSocket, scratch);
            std::memset(response, 0, answer.size());
            last_exchange::clear();
            return udp_exchange(*dev, line, answer, scratch);
        }
        case MPDLL_MODE_TELNET:
        case MPDLL_MODE_SERIAL:
            return line_exchange(*dev, line, answer, keeps_prompt(keepPrompt), wait);
        default:
            std::memset(response, 0, answer.size());
            last_exchange::clear();
            return MPDLL_E_MODE;
    }
}

MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response, int32_t responseSize,
                                         int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT {
    return mpdll::session_log::logged_call(
        dev, "SendCommand", [&] { return send_command(dev, command, response, responseSize, keepPrompt, wait); });
}
