// mp_rate_s2i and mp_channel_s2i on any text the test program may pass:
// the rate is a table code or the default 135; the channel follows the
// digit-collecting rules for every text of up to nine digits, and any
// longer run of digits is still read without overflow or a write past the
// digit buffer (UBSan and ASan watch those).
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

std::int32_t expected_rate(std::string_view text) {
    static const char* const kNames[] = {"1M",  "2M",  "5.5M", "11M", "6M",  "9M",
                                         "12M", "18M", "24M",  "36M", "48M", "54M"};
    static const std::int32_t kCodes[] = {2, 4, 11, 22, 12, 18, 24, 36, 48, 72, 96, 108};
    if (text.size() > 2047) {
        return 135;
    }
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    for (std::size_t i = 0; i < std::size(kNames); ++i) {
        if (upper == kNames[i] || upper == std::to_string(kCodes[i])) {
            return kCodes[i];
        }
    }
    for (int n = 0; n <= 15; ++n) {
        if (upper == "MCS" + std::to_string(n) || upper == std::to_string(128 + n)) {
            return 128 + n;
        }
    }
    return 135;
}

// Returns false when the text has no defined channel (ten digits or more).
bool expected_channel(std::string_view text, std::int32_t& channel) {
    std::string digits;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            digits.push_back(c);
        }
    }
    if (digits.empty()) {
        channel = 3;
        return true;
    }
    if (digits.size() > 9) {
        return false;
    }
    const std::int32_t v = std::stoi(digits);
    if (v <= 200) {
        channel = v;
    } else if (v >= 2412 && v <= 2484) {
        channel = v == 2484 ? 14 : (v - 2412) / 5 + 1;
    } else {
        channel = (v - 5180) / 5 + 36;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mpdll::fuzzing::ExactBuffer text(size + 1);
    std::memcpy(text.data(), data, size);
    text.data()[size] = '\0';
    const std::string_view view(text.data());

    FUZZ_CHECK(mp_rate_s2i(text.data()) == expected_rate(view));

    const std::int32_t channel = mp_channel_s2i(text.data());
    std::int32_t expected = 0;
    if (expected_channel(view, expected)) {
        FUZZ_CHECK(channel == expected);
    }
    return 0;
}
