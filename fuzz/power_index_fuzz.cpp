// The power index converters on any table texts and counts. Tables and
// texts are blocks of exactly the stated size (count entries, 2 * count + 1
// characters), so ASan sees any access past them. Properties: each entry is
// read as "%x" reads its two characters, a group entry is its base entry plus
// the digit's signed difference, HexPowerIndex writes exactly two characters
// per entry, and DecPowerIndex gives back what HexPowerIndex wrote for bases
// 0 to 255 and differences -8 to 7.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

constexpr std::int32_t kUntouched = 0x5a5a5a5a;

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Entry i of a text as "%x" reads its two characters.
std::optional<std::int32_t> read_entry(const std::string& text, std::size_t i) {
    std::string field;
    for (std::size_t k = 2 * i; k < 2 * i + 2 && k < text.size() && text[k] != '\0'; ++k) {
        field.push_back(text[k]);
    }
    std::size_t at = 0;
    while (at < field.size() && is_space(field[at])) ++at;
    bool negative = false;
    if (at < field.size() && (field[at] == '+' || field[at] == '-')) {
        negative = field[at] == '-';
        ++at;
    }
    std::int32_t value = 0;
    bool digits = false;
    while (at < field.size() && hex_value(field[at]) >= 0) {
        value = value * 16 + hex_value(field[at++]);
        digits = true;
    }
    if (!digits) return std::nullopt;
    return negative ? -value : value;
}

std::int32_t difference(char digit) {
    const int v = hex_value(digit);
    return v < 0 ? 0 : (v < 8 ? v : v - 16);
}

char entry_char(const std::string& text, std::size_t k) {
    const std::size_t end = text.find('\0');
    return k < std::min(end, text.size()) ? text[k] : '\0';
}

std::string text_of(FuzzedDataProvider& input) {
    std::string text = input.ConsumeRandomLengthString(420);
    return text.substr(0, text.find('\0'));
}

void fuzz_hex2dec(FuzzedDataProvider& input, std::int32_t count) {
    const std::string text = text_of(input);
    std::vector<std::int32_t> values(static_cast<std::size_t>(std::max(count, 1)), kUntouched);
    FUZZ_CHECK(Hex2Dec(count, text.c_str(), values.data()) == 0);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto expected = read_entry(text, static_cast<std::size_t>(i));
        FUZZ_CHECK(values[i] == expected.value_or(kUntouched));
    }
}

void fuzz_decode(FuzzedDataProvider& input, std::int32_t count) {
    std::array<std::string, 7> texts;
    for (auto& text : texts) text = text_of(input);
    const std::size_t n = static_cast<std::size_t>(std::max(count, 1));
    std::array<std::vector<std::int32_t>, 10> tables;
    for (auto& table : tables) table.assign(n, kUntouched);
    FUZZ_CHECK(DecPowerIndex(count, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(), texts[3].c_str(),
                             texts[4].c_str(), texts[5].c_str(), texts[6].c_str(), tables[0].data(), tables[1].data(),
                             tables[2].data(), tables[3].data(), tables[4].data(), tables[5].data(), tables[6].data(),
                             tables[7].data(), tables[8].data(), tables[9].data()) == 0);
    for (std::int32_t i = 0; i < count; ++i) {
        const auto e = static_cast<std::size_t>(i);
        for (int t = 0; t < 4; ++t) {
            FUZZ_CHECK(tables[t][e] == read_entry(texts[t], e).value_or(kUntouched));
        }
        for (int g = 0; g < 3; ++g) {
            const std::string& diff = texts[4 + g];
            const auto a = static_cast<std::uint32_t>(tables[2][e]) +
                           static_cast<std::uint32_t>(difference(entry_char(diff, 2 * e + 1)));
            const auto b = static_cast<std::uint32_t>(tables[3][e]) +
                           static_cast<std::uint32_t>(difference(entry_char(diff, 2 * e)));
            FUZZ_CHECK(tables[4 + 2 * g][e] == static_cast<std::int32_t>(a));
            FUZZ_CHECK(tables[5 + 2 * g][e] == static_cast<std::int32_t>(b));
        }
    }
}

void fuzz_round_trip(FuzzedDataProvider& input, std::int32_t count) {
    const bool inRange = input.ConsumeBool();
    const std::size_t n = static_cast<std::size_t>(std::max(count, 1));
    std::array<std::vector<std::int32_t>, 10> tables;
    for (auto& table : tables) table.assign(n, 0);
    for (std::size_t e = 0; e < static_cast<std::size_t>(std::max(count, 0)); ++e) {
        for (int t = 0; t < 4; ++t) {
            tables[t][e] = inRange ? input.ConsumeIntegralInRange(0, 255) : input.ConsumeIntegral<std::int32_t>();
        }
        for (int g = 0; g < 3; ++g) {
            tables[4 + 2 * g][e] =
                inRange ? tables[2][e] + input.ConsumeIntegralInRange(-8, 7) : input.ConsumeIntegral<std::int32_t>();
            tables[5 + 2 * g][e] =
                inRange ? tables[3][e] + input.ConsumeIntegralInRange(-8, 7) : input.ConsumeIntegral<std::int32_t>();
        }
    }
    const std::size_t textSize = 2 * static_cast<std::size_t>(std::max(count, 0)) + 1;
    std::vector<mpdll::fuzzing::ExactBuffer> texts;
    for (int t = 0; t < 7; ++t) texts.emplace_back(textSize);
    FUZZ_CHECK(HexPowerIndex(count, tables[0].data(), tables[1].data(), tables[2].data(), tables[3].data(),
                             tables[4].data(), tables[5].data(), tables[6].data(), tables[7].data(), tables[8].data(),
                             tables[9].data(), texts[0].data(), texts[1].data(), texts[2].data(), texts[3].data(),
                             texts[4].data(), texts[5].data(), texts[6].data()) == 0);
    for (auto& text : texts) {
        FUZZ_CHECK(std::strlen(text.data()) == textSize - 1);
        for (std::size_t k = 0; k + 1 < textSize; ++k) {
            const char c = text.data()[k];
            FUZZ_CHECK(c == ' ' || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'));
        }
    }
    if (!inRange || count <= 0) {
        return;
    }
    std::array<std::vector<std::int32_t>, 10> back;
    for (auto& table : back) table.assign(n, kUntouched);
    FUZZ_CHECK(DecPowerIndex(count, texts[0].data(), texts[1].data(), texts[2].data(), texts[3].data(), texts[4].data(),
                             texts[5].data(), texts[6].data(), back[0].data(), back[1].data(), back[2].data(),
                             back[3].data(), back[4].data(), back[5].data(), back[6].data(), back[7].data(),
                             back[8].data(), back[9].data()) == 0);
    FUZZ_CHECK(back == tables);
}

void fuzz_digits(FuzzedDataProvider& input) {
    mpdll::fuzzing::ExactBuffer pair(2);
    pair.data()[0] = input.ConsumeIntegral<char>();
    pair.data()[1] = input.ConsumeIntegral<char>();
    const auto highDigit = input.ConsumeIntegral<std::int32_t>();
    const std::int32_t value = DiffHex2Dec(pair.data(), highDigit);
    // A pair whose first character ends the text has no second one to read.
    const bool high = (highDigit & 0xff) != 0;
    FUZZ_CHECK(value == (high ? difference(pair.data()[0]) : pair.data()[0] == '\0' ? 0 : difference(pair.data()[1])));

    const std::string decimal = text_of(input);
    const char digit = DiffDec2Hex(decimal.c_str());
    FUZZ_CHECK((digit >= '0' && digit <= '9') || (digit >= 'A' && digit <= 'F'));
    const char* p = decimal.c_str();
    while (is_space(*p)) ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    std::string digits;
    while (*p >= '0' && *p <= '9') digits.push_back(*p++);
    digits.erase(0, std::min(digits.find_first_not_of('0'), digits.size()));
    const bool small = digits.size() <= 1;
    const int v = digits.empty() ? 0 : (negative ? -(digits[0] - '0') : digits[0] - '0');
    if (small && v >= -8 && v <= 7) {
        FUZZ_CHECK(difference(digit) == v);
    } else {
        FUZZ_CHECK(digit == '0');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const int which = input.ConsumeIntegralInRange(0, 3);
    const auto count = input.ConsumeIntegralInRange<std::int32_t>(-3, 200);
    switch (which) {
        case 0:
            fuzz_hex2dec(input, count);
            break;
        case 1:
            fuzz_decode(input, count);
            break;
        case 2:
            fuzz_round_trip(input, count);
            break;
        default:
            fuzz_digits(input);
            break;
    }
    return 0;
}
