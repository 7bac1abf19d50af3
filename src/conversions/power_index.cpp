// Transmit power index tables between the board's text form (two hexadecimal
// digits per entry) and the integer tables the test program computes with.
// Two plain tables, base tables A and B, and three difference tables whose
// entries hold the B difference in the high digit and the A difference in the
// low one. The tables are as long as the caller says; nothing is staged in a
// working area of our own.
#include <array>
#include <cstddef>
#include <cstdint>

#include "conversions/difference_digit.h"
#include "conversions/hex_table_text.h"
#include "mpdll/mpdll.h"

namespace mpdll::conversions {
namespace {

constexpr int kGroups = 3;

template <typename... Pointers>
bool all_present(Pointers... pointers) noexcept {
    return ((pointers != nullptr) && ...);
}

// Base value plus difference, wrapping like the board's 32-bit arithmetic.
std::int32_t add_difference(std::int32_t base, std::int32_t difference) noexcept {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(difference));
}

void read_entry_into(HexTableText& text, std::int32_t& value) noexcept {
    if (const auto read = read_hex_entry(text.next())) {
        value = *read;
    }
}

}  // namespace
}  // namespace mpdll::conversions

using mpdll::conversions::add_difference;
using mpdll::conversions::all_present;
using mpdll::conversions::difference_digit;
using mpdll::conversions::difference_value;
using mpdll::conversions::HexTableText;
using mpdll::conversions::kGroups;
using mpdll::conversions::read_entry_into;
using mpdll::conversions::write_hex_entry;

MPDLL_API int32_t MPDLL_CALL Hex2Dec(int32_t count, const char* hexText, int32_t* values) MPDLL_NOEXCEPT {
    if (!all_present(hexText, values)) {
        return 0;
    }
    HexTableText text(hexText);
    for (int32_t i = 0; i < count; ++i) {
        read_entry_into(text, values[i]);
    }
    return 0;
}

MPDLL_API int32_t MPDLL_CALL DecPowerIndex(int32_t count, const char* hexPlain1, const char* hexPlain2,
                                           const char* hexBaseA, const char* hexBaseB, const char* hexDiff1,
                                           const char* hexDiff2, const char* hexDiff3, int32_t* plain1, int32_t* plain2,
                                           int32_t* baseA, int32_t* baseB, int32_t* group1A, int32_t* group1B,
                                           int32_t* group2A, int32_t* group2B, int32_t* group3A,
                                           int32_t* group3B) MPDLL_NOEXCEPT {
    if (!all_present(hexPlain1, hexPlain2, hexBaseA, hexBaseB, hexDiff1, hexDiff2, hexDiff3, plain1, plain2, baseA,
                     baseB, group1A, group1B, group2A, group2B, group3A, group3B)) {
        return 0;
    }
    HexTableText plain1Text(hexPlain1), plain2Text(hexPlain2), baseAText(hexBaseA), baseBText(hexBaseB);
    std::array<HexTableText, kGroups> diffTexts{HexTableText(hexDiff1), HexTableText(hexDiff2), HexTableText(hexDiff3)};
    const std::array<int32_t*, kGroups> groupA{group1A, group2A, group3A};
    const std::array<int32_t*, kGroups> groupB{group1B, group2B, group3B};
    for (int32_t i = 0; i < count; ++i) {
        read_entry_into(plain1Text, plain1[i]);
        read_entry_into(plain2Text, plain2[i]);
        read_entry_into(baseAText, baseA[i]);
        read_entry_into(baseBText, baseB[i]);
        for (int k = 0; k < kGroups; ++k) {
            const HexTableText::Entry entry = diffTexts[k].next();
            groupB[k][i] = add_difference(baseB[i], difference_value(entry.high));
            groupA[k][i] = add_difference(baseA[i], difference_value(entry.low));
        }
    }
    return 0;
}

// Every output gets exactly two characters per entry and a terminator, so
// 2 * count + 1 bytes always suffice; a count of 0 or less gives empty texts.
MPDLL_API int32_t MPDLL_CALL HexPowerIndex(int32_t count, const int32_t* plain1, const int32_t* plain2,
                                           const int32_t* baseA, const int32_t* baseB, const int32_t* group1A,
                                           const int32_t* group1B, const int32_t* group2A, const int32_t* group2B,
                                           const int32_t* group3A, const int32_t* group3B, char* hexPlain1,
                                           char* hexPlain2, char* hexBaseA, char* hexBaseB, char* hexDiff1,
                                           char* hexDiff2, char* hexDiff3) MPDLL_NOEXCEPT {
    if (!all_present(plain1, plain2, baseA, baseB, group1A, group1B, group2A, group2B, group3A, group3B, hexPlain1,
                     hexPlain2, hexBaseA, hexBaseB, hexDiff1, hexDiff2, hexDiff3)) {
        return 0;
    }
    const std::array<char*, 7> texts{hexPlain1, hexPlain2, hexBaseA, hexBaseB, hexDiff1, hexDiff2, hexDiff3};
    const std::size_t entries = count > 0 ? static_cast<std::size_t>(count) : 0;
    const std::array<const int32_t*, kGroups> groupA{group1A, group2A, group3A};
    const std::array<const int32_t*, kGroups> groupB{group1B, group2B, group3B};
    const std::array<char*, kGroups> diffTexts{hexDiff1, hexDiff2, hexDiff3};
    for (std::size_t i = 0; i < entries; ++i) {
        write_hex_entry(hexPlain1 + 2 * i, plain1[i]);
        write_hex_entry(hexPlain2 + 2 * i, plain2[i]);
        write_hex_entry(hexBaseA + 2 * i, baseA[i]);
        write_hex_entry(hexBaseB + 2 * i, baseB[i]);
        for (int k = 0; k < kGroups; ++k) {
            const char high = difference_digit(std::int64_t{groupB[k][i]} - baseB[i]);
            const char low = difference_digit(std::int64_t{groupA[k][i]} - baseA[i]);
            diffTexts[k][2 * i] = high == '0' ? ' ' : high;
            diffTexts[k][2 * i + 1] = low;
        }
    }
    for (char* text : texts) {
        text[2 * entries] = '\0';
    }
    return 0;
}
