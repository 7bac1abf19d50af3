// Rate name or code text to the driver's rate code (mp_rate_s2i).
#include <array>
#include <string_view>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"
#include "text/text_characters.h"

namespace {

struct RatePair {
    std::string_view name;
    std::string_view codeText;
    std::int32_t code;
};

// Legacy rates in units of 500 kbit/s; MCS n is 128 + n.
constexpr std::array<RatePair, 28> kRates{{
    {"1M", "2", 2},        {"2M", "4", 4},        {"5.5M", "11", 11},    {"11M", "22", 22},     {"6M", "12", 12},
    {"9M", "18", 18},      {"12M", "24", 24},     {"18M", "36", 36},     {"24M", "48", 48},     {"36M", "72", 72},
    {"48M", "96", 96},     {"54M", "108", 108},   {"MCS0", "128", 128},  {"MCS1", "129", 129},  {"MCS2", "130", 130},
    {"MCS3", "131", 131},  {"MCS4", "132", 132},  {"MCS5", "133", 133},  {"MCS6", "134", 134},  {"MCS7", "135", 135},
    {"MCS8", "136", 136},  {"MCS9", "137", 137},  {"MCS10", "138", 138}, {"MCS11", "139", 139}, {"MCS12", "140", 140},
    {"MCS13", "141", 141}, {"MCS14", "142", 142}, {"MCS15", "143", 143},
}};

constexpr std::int32_t kDefaultRateCode = 135;  // MCS7

// Whole-text comparison after upper-casing a to z in the caller's text.
bool equals_upper_cased(std::string_view text, std::string_view upper) noexcept {
    if (text.size() != upper.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (mpdll::upper_case(text[i]) != upper[i]) return false;
    }
    return true;
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL mp_rate_s2i(const char* rateText) MPDLL_NOEXCEPT {
    // A text that does not fit the 2047-character working copy matches no rate.
    const std::string_view text = mpdll::text_within(rateText, mpdll::kCommandSize);
    for (const RatePair& rate : kRates) {
        if (equals_upper_cased(text, rate.name) || equals_upper_cased(text, rate.codeText)) return rate.code;
    }
    return kDefaultRateCode;
}
