// The library-wide copies of the last line sent and the last raw response,
// and GetBuffer, which hands them to the caller's log, always terminated
// within the caller's sizes.
#include "connection/last_exchange.h"

#include <array>
#include <cstring>
#include <mutex>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"

namespace mpdll::last_exchange {
namespace {

std::mutex exchangeLock;
std::array<char, kSentSize> lastSent{};
std::array<char, kReceivedSize> lastReceived{};

// Each copy is read only up to its terminator, so a copy is replaced or
// cleared by its text and terminator alone.
template <std::size_t N>
void replace(std::array<char, N>& stored, std::string_view text) {
    copy_text(stored, text);
}

template <std::size_t N>
void copy_out(const std::array<char, N>& stored, std::span<char> out) {
    copy_text(out, text_within(stored.data(), stored.size()));
}

}  // namespace

void clear() noexcept {
    std::lock_guard lock(exchangeLock);
    lastSent[0] = '\0';
    lastReceived[0] = '\0';
}

void record_sent(std::string_view line) noexcept {
    std::lock_guard lock(exchangeLock);
    replace(lastSent, line);
}

void record_received(std::string_view text) noexcept {
    std::lock_guard lock(exchangeLock);
    replace(lastReceived, text);
}

void copy_sent(std::span<char> out) noexcept {
    std::lock_guard lock(exchangeLock);
    copy_out(lastSent, out);
}

void copy_received(std::span<char> out) noexcept {
    std::lock_guard lock(exchangeLock);
    copy_out(lastReceived, out);
}

}  // namespace mpdll::last_exchange

MPDLL_API int32_t MPDLL_CALL GetBuffer(DevContext*, char* sentOut, int32_t sentSize, char* receivedOut,
                                       int32_t receivedSize) MPDLL_NOEXCEPT {
    if (!sentOut || !receivedOut || sentSize < 1 || receivedSize < 1) return MPDLL_E_ARGUMENT;
    std::memset(sentOut, 0, static_cast<std::size_t>(sentSize));
    std::memset(receivedOut, 0, static_cast<std::size_t>(receivedSize));
    mpdll::last_exchange::copy_sent(std::span<char>(sentOut, static_cast<std::size_t>(sentSize)));
    mpdll::last_exchange::copy_received(std::span<char>(receivedOut, static_cast<std::size_t>(receivedSize)));
    return MPDLL_OK;
}
