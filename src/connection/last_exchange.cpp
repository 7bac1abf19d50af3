// The library-wide copies of the last line sent and the last raw response.
#include "connection/last_exchange.h"

#include <array>
#include <mutex>

#include "connection/bounded_text.h"

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
