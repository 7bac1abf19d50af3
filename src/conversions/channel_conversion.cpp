// Channel number or centre frequency text to the driver's channel number
// (mp_channel_s2i).
#include <cstdint>
#include <limits>

#include "mpdll/mpdll.h"
#include "text/text_characters.h"

namespace {

constexpr std::int32_t kDefaultChannel = 3;
constexpr int kMaxDigits = 19;  // the digit buffer holds 19 digits and a terminator

std::int32_t channel_of(std::int64_t value) noexcept {
    if (value <= 200) return static_cast<std::int32_t>(value);  // already a channel number
    if (value >= 2412 && value <= 2484) {                       // 2.4 GHz centre frequency
        if (value == 2484) return 14;
        return static_cast<std::int32_t>((value - 2412) / 5 + 1);
    }
    // Anything else is read as a 5 GHz centre frequency; the division
    // truncates toward zero, also below 5180.
    return static_cast<std::int32_t>((value - 5180) / 5 + 36);
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL mp_channel_s2i(const char* channelText) MPDLL_NOEXCEPT {
    if (!channelText) return kDefaultChannel;
    // Every digit counts, wherever it stands, so "ch 1, 40M" reads 140. Only
    // the first 19 are collected; their value must fit a signed 32-bit integer.
    std::uint64_t value = 0;
    int digits = 0;
    for (const char* c = channelText; *c != '\0' && digits < kMaxDigits; ++c) {
        if (!mpdll::is_digit(*c)) continue;
        value = value * 10 + static_cast<std::uint64_t>(*c - '0');
        ++digits;
    }
    if (digits == 0 || value > static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max())) {
        return kDefaultChannel;
    }
    return channel_of(static_cast<std::int64_t>(value));
}
