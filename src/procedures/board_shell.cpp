// Exchanges of the board's own shell lines (see board_shell.h).
#include "procedures/board_shell.h"

namespace mpdll::procedures {

std::int32_t run_shell_line(DevContext* dev, const ShellLine& line, ShellResponse& response,
                            std::int32_t wait) noexcept {
    if (!line.fits()) {
        return MPDLL_E_ARGUMENT;
    }
    return SendCommand(dev, line.c_str(), response.data(), static_cast<int32_t>(response.size()), 0, wait);
}

std::int32_t fetch_udp_output(DevContext* dev, ShellResponse& response) noexcept {
    if (IsBufferOk(response.data()) != MPDLL_OK) {
        return MPDLL_E_REPLY;
    }
    ShellLine line;
    line.append("flash read");
    return run_shell_line(dev, line, response);
}

std::string_view response_text(const ShellResponse& response) noexcept {
    const std::string_view whole(response.data(), response.size());
    return whole.substr(0, whole.find('\0'));
}

}  // namespace mpdll::procedures
