// SendCommand: runs one shell command line on the board over the transport
// the record's mode selects and hands back the answer without the echo of
// the line (and normally without the prompt).
#include <algorithm>
#include <cstring>
#include <span>

#include "connection/last_exchange.h"
#include "connection/owed_prompts.h"
#include "connection/prompt_search.h"
#include "connection/response_trim.h"
#include "connection/stale_input.h"
#include "connection/udp_exchange.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace {

// The telnet or serial leg: send, sleep a positive wait, collect raw text.
int32_t line_exchange(DevContext* dev, const char* command, int32_t length, char* raw, int32_t rawSize, int32_t wait) {
    int32_t received = 0;
    const bool telnet = dev->mode == MPDLL_MODE_TELNET;
    int32_t status = telnet ? TelnetSnd(dev, command, length) : SerialSnd(dev, command, length);
    if (status != MPDLL_OK) return status;
    if (wait > 0) mpdll::platform::sleep_ms(wait);
    return telnet ? TelnetRcv(dev, raw, rawSize, &received, wait) : SerialRcv(dev, raw, rawSize, &received, wait);
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL SendCommand(DevContext* dev, const char* command, char* response, int32_t responseSize,
                                         int32_t keepPrompt, int32_t wait) MPDLL_NOEXCEPT {
    using namespace mpdll;
    if (!dev || !command || !response || responseSize < 1) return MPDLL_E_ARGUMENT;
    const std::size_t size = static_cast<std::size_t>(responseSize);
    const std::string_view line(command);
    if (line.size() > INT32_MAX) return MPDLL_E_ARGUMENT;
    char raw[kResponseSize];

    // What already waits belongs to an earlier exchange: a late answer, whose
    // prompt the board then no longer owes.
    const std::string_view prompt = field_text(dev->prompt);
    std::size_t owed = owed_prompts::of(*dev);
    if (dev->mode == MPDLL_MODE_TELNET) owed -= std::min(owed, discard_stream_input(dev->telnetSocket, raw, prompt));
    if (dev->mode == MPDLL_MODE_SERIAL && owed > 0)
        owed -= std::min(owed, discard_serial_input(dev->serialHandle, raw, prompt));
    if (dev->mode == MPDLL_MODE_UDP) discard_datagrams(dev->udpSocket, raw);
    if (dev->mode == MPDLL_MODE_TELNET || dev->mode == MPDLL_MODE_SERIAL) owed_prompts::set(*dev, owed);

    std::memset(raw, 0, sizeof raw);
    std::memset(response, 0, size);
    last_exchange::clear();

    switch (dev->mode) {
        case MPDLL_MODE_UDP:
            return udp_exchange(*dev, line, std::span<char>(response, size), raw);
        case MPDLL_MODE_TELNET:
        case MPDLL_MODE_SERIAL: {
            const int32_t rawSize = dev->mode == MPDLL_MODE_TELNET ? static_cast<int32_t>(std::min(size, kResponseSize))
                                                                   : static_cast<int32_t>(kResponseSize);
            const int32_t status = line_exchange(dev, command, static_cast<int32_t>(line.size()), raw, rawSize, wait);
            if (status != MPDLL_OK) return status;
            // A late answer to an earlier line, up to its prompt, comes first.
            std::string_view received = text_within(raw, sizeof raw);
            received.remove_prefix(after_prompts(received, prompt, owed));
            const std::string_view answer = trim_response(received, line, prompt, keeps_prompt(keepPrompt));
            copy_text(std::span<char>(response, size), answer);
            return MPDLL_OK;
        }
        default:
            return MPDLL_E_MODE;
    }
}
