// One command exchange, the two-step UDP read and the response text (see
// board_exchange.h).
#include "commands/board_exchange.h"

#include "connection/transport.h"

namespace mpdll::commands {

std::int32_t exchange(DevContext& dev, const char* line, Response& response, std::int32_t wait) noexcept {
    response.fill('\0');
    const std::int32_t status =
        SendCommand(&dev, line, response.data(), static_cast<std::int32_t>(response.size()), 0, wait);
    response.back() = '\0';  // whatever came, the text ends within the area
    return status;
}

std::int32_t exchange(DevContext& dev, const TextComposer& line, Response& response, std::int32_t wait) noexcept {
    if (!line.fits()) return MPDLL_E_ARGUMENT;
    return exchange(dev, line.c_str(), response, wait);
}

std::int32_t read_output(DevContext& dev, const char* line, Response& response) noexcept {
    if (const std::int32_t status = exchange(dev, line, response); status != MPDLL_OK) return status;
    // The shell answers at once; the UDP endpoint hands the output over on
    // a second request.
    const Transport* transport = transport_of(dev);
    if (transport == nullptr || transport->reachesShell) return MPDLL_OK;
    if (IsBufferOk(response.data()) != MPDLL_OK) return MPDLL_E_REPLY;
    return exchange(dev, "flash read", response);
}

std::string_view response_text(const Response& response) noexcept {
    return text_within(response.data(), response.size());
}

}  // namespace mpdll::commands
