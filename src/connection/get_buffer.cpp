// GetBuffer: hands the last line sent and the last raw response to the
// caller's log, always terminated within the caller's sizes.
#include <cstring>
#include <span>

#include "connection/last_exchange.h"
#include "mpdll/mpdll.h"

MPDLL_API int32_t MPDLL_CALL GetBuffer(DevContext*, char* sentOut, int32_t sentSize, char* receivedOut, int32_t receivedSize) MPDLL_NOEXCEPT {
    if (!sentOut || !receivedOut || sentSize < 1 || receivedSize < 1) return MPDLL_E_ARGUMENT;
    std::memset(sentOut, 0, static_cast<std::size_t>(sentSize));
    std::memset(receivedOut, 0, static_cast<std::size_t>(receivedSize));
    mpdll::last_exchange::copy_sent(std::span<char>(sentOut, static_cast<std::size_t>(sentSize)));
    mpdll::last_exchange::copy_received(std::span<char>(receivedOut, static_cast<std::size_t>(receivedSize)));
    return MPDLL_OK;
}
