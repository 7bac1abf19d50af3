// One command exchange and the response texts (see board_exchange.h).
#include "commands/board_exchange.h"

#include "connection/bounded_text.h"

namespace mpdll::commands {

std::int32_t exchange(DevContext& dev, const char* line, Response& response, std::int32_t wait) noexcept {
    response.fill('\0');
    const std::int32_t status =
        SendCommand(&dev, line, response.data(), static_cast<std::int32_t>(response.size()), 0, wait);
    response.back() = '\0';  // whatever came, the text ends within the area
    return status;
}

std::string_view response_text(const Response& response) noexcept {
    return text_within(response.data(), response.size());
}

std::string_view normal_form(const Response& response, Response& normal) noexcept {
    normal.fill('\0');
    FormatBuffer(response.data(), normal.data(), static_cast<std::int32_t>(normal.size()));
    return response_text(normal);
}

}  // namespace mpdll::commands
