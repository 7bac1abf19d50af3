// Power index tables: text form to integer tables and back, the difference
// digits, and what happens to texts and values the board form cannot hold.
#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "mpdll/mpdll.h"

namespace {

constexpr int kTables = 10;  // plain1, plain2, baseA, baseB, group1A, group1B, group2A, group2B, group3A, group3B
constexpr int kTexts = 7;    // hexPlain1, hexPlain2, hexBaseA, hexBaseB, hexDiff1, hexDiff2, hexDiff3
constexpr std::size_t kGuard = 8;
constexpr char kGuardByte = '#';

using Tables = std::array<std::vector<int32_t>, kTables>;
using Texts = std::array<std::string, kTexts>;

Tables tables_of(int32_t count, int32_t fill) {
    Tables tables;
    for (auto& table : tables) {
        table.assign(static_cast<std::size_t>(count > 0 ? count : 0), fill);
    }
    return tables;
}

// Runs DecPowerIndex into tables that start out holding `fill`.
Tables decode(int32_t count, const Texts& t, int32_t fill = -999) {
    Tables out = tables_of(count, fill);
    EXPECT_EQ(0,
              DecPowerIndex(count, t[0].c_str(), t[1].c_str(), t[2].c_str(), t[3].c_str(), t[4].c_str(), t[5].c_str(),
                            t[6].c_str(), out[0].data(), out[1].data(), out[2].data(), out[3].data(), out[4].data(),
                            out[5].data(), out[6].data(), out[7].data(), out[8].data(), out[9].data()));
    return out;
}

// Runs HexPowerIndex into buffers of exactly 2 * count + 1 bytes (at least
// one) followed by guard bytes, and fails the test if a guard byte changed.
Texts encode(int32_t count, const Tables& in) {
    const std::size_t room = (count > 0 ? 2 * static_cast<std::size_t>(count) : 0) + 1;
    std::array<std::vector<char>, kTexts> buffers;
    for (auto& buffer : buffers) {
        buffer.assign(room + kGuard, kGuardByte);
    }
    EXPECT_EQ(0, HexPowerIndex(count, in[0].data(), in[1].data(), in[2].data(), in[3].data(), in[4].data(),
                               in[5].data(), in[6].data(), in[7].data(), in[8].data(), in[9].data(), buffers[0].data(),
                               buffers[1].data(), buffers[2].data(), buffers[3].data(), buffers[4].data(),
                               buffers[5].data(), buffers[6].data()));
    Texts texts;
    for (int k = 0; k < kTexts; ++k) {
        for (std::size_t g = room; g < room + kGuard; ++g) {
            EXPECT_EQ(kGuardByte, buffers[k][g]) << "text " << k << " written past its room at " << g;
        }
        texts[k] = std::string(buffers[k].data());
    }
    return texts;
}

const Texts kExampleTexts{"2A2B", "2C2D", "1A1B", "1C1D", "0F21", "8E70", "1D11"};
const Tables kExampleTables{
    {{42, 43}, {44, 45}, {26, 27}, {28, 29}, {25, 28}, {28, 31}, {24, 27}, {20, 36}, {23, 28}, {29, 30}}};

TEST(PowerIndex, WorkedExampleDecodes) { EXPECT_EQ(kExampleTables, decode(2, kExampleTexts)); }

TEST(PowerIndex, WorkedExampleEncodesWithBlankForZeroFirstDigit) {
    const Texts expected{"2A2B", "2C2D", "1A1B", "1C1D", " F21", "8E70", "1D11"};
    EXPECT_EQ(expected, encode(2, kExampleTables));
}

TEST(PowerIndex, LowerCaseDecodesLikeUpperCase) {
    const Texts lower{"2a2b", "2c2d", "1a1b", "1c1d", "0f21", "8e70", "1d11"};
    EXPECT_EQ(kExampleTables, decode(2, lower));
}

TEST(PowerIndex, RoundTripOverRandomTables) {
    for (uint32_t seed = 1; seed <= 300; ++seed) {
        std::mt19937 random(seed);
        // Up to 300 entries: longer tables than 200 and texts past 399 characters.
        const int32_t count = std::uniform_int_distribution<int32_t>(1, 300)(random);
        std::uniform_int_distribution<int32_t> byte(0, 255), difference(-8, 7);
        Tables tables = tables_of(count, 0);
        for (int32_t i = 0; i < count; ++i) {
            for (int t = 0; t < 4; ++t) {
                tables[t][i] = byte(random);
            }
            for (int g = 0; g < 3; ++g) {
                tables[4 + 2 * g][i] = tables[2][i] + difference(random);
                tables[5 + 2 * g][i] = tables[3][i] + difference(random);
            }
        }
        const Texts texts = encode(count, tables);
        for (const auto& text : texts) {
            ASSERT_EQ(2 * static_cast<std::size_t>(count), text.size()) << "seed " << seed;
        }
        ASSERT_EQ(tables, decode(count, texts)) << "seed " << seed;
    }
}

TEST(PowerIndex, ShortTextsLeaveLaterEntriesAndGiveZeroDifferences) {
    // Three entries wanted, the texts hold one (or one and a half).
    const Texts texts{"10", "2", "05", "06", "7", "", "F"};
    const Tables out = decode(3, texts, -1);
    EXPECT_EQ((std::vector<int32_t>{16, -1, -1}), out[0]);
    EXPECT_EQ((std::vector<int32_t>{2, -1, -1}), out[1]) << "odd text: the last entry is its final digit";
    EXPECT_EQ((std::vector<int32_t>{5, -1, -1}), out[2]);
    EXPECT_EQ((std::vector<int32_t>{6, -1, -1}), out[3]);
    // group 1: "7" gives dB 7, dA 0; group 2: nothing; group 3: "F" gives dB -1.
    EXPECT_EQ((std::vector<int32_t>{5, -1, -1}), out[4]);
    EXPECT_EQ((std::vector<int32_t>{13, -1, -1}), out[5]);
    EXPECT_EQ((std::vector<int32_t>{5, -1, -1}), out[6]);
    EXPECT_EQ((std::vector<int32_t>{6, -1, -1}), out[7]);
    EXPECT_EQ((std::vector<int32_t>{5, -1, -1}), out[8]);
    EXPECT_EQ((std::vector<int32_t>{5, -1, -1}), out[9]);
}

TEST(PowerIndex, CountOfZeroOrLessDecodesNothing) {
    for (int32_t count : {0, -1, INT_MIN}) {
        int32_t values[2] = {7, 7};
        EXPECT_EQ(0, Hex2Dec(count, "FFFF", values));
        EXPECT_EQ(7, values[0]);
    }
}

TEST(Hex2Dec, ReadsEachEntryLikeHexScan) {
    int32_t values[5] = {-1, -1, -1, -1, -1};
    EXPECT_EQ(0, Hex2Dec(4, "0A1b2C3", values));
    EXPECT_EQ((std::vector<int32_t>{10, 27, 44, 3, -1}), std::vector<int32_t>(values, values + 5));
}

TEST(Hex2Dec, EntryForms) {
    struct Case {
        const char* entry;
        int32_t expected;  // -999: left unchanged
    } cases[] = {
        {" 5", 5},    {"5 ", 5},    {"ff", 255}, {"-F", -15},  {"+1", 1},    {"5x", 5},  {"0x", 0},
        {"x5", -999}, {"  ", -999}, {"-", -999}, {"--", -999}, {"g1", -999}, {"\t7", 7},
    };
    for (const auto& c : cases) {
        int32_t value = -999;
        Hex2Dec(1, c.entry, &value);
        EXPECT_EQ(c.expected, value) << "entry \"" << c.entry << "\"";
    }
}

TEST(Hex2Dec, NullTextOrTableDoesNothing) {
    int32_t value = 4;
    EXPECT_EQ(0, Hex2Dec(1, nullptr, &value));
    EXPECT_EQ(4, value);
    EXPECT_EQ(0, Hex2Dec(1, "FF", nullptr));
}

TEST(DiffHex2Dec, DigitTable) {
    const std::string digits = "0123456789ABCDEF";
    const std::string lower = "0123456789abcdef";
    for (int n = 0; n < 16; ++n) {
        const int expected = n < 8 ? n : n - 16;
        const char upperPair[3] = {digits[n], '0', '\0'};
        const char lowerPair[3] = {'0', lower[n], '\0'};
        EXPECT_EQ(expected, DiffHex2Dec(upperPair, 1)) << digits[n];
        EXPECT_EQ(expected, DiffHex2Dec(lowerPair, 0)) << lower[n];
    }
    for (const char* other : {"G", "x", " ", ""}) {
        const char pair[3] = {other[0], '7', '\0'};
        EXPECT_EQ(0, DiffHex2Dec(pair, 1)) << "\"" << other << "\"";
    }
}

TEST(DiffHex2Dec, PicksTheDigitByTheLowestByteOfTheFlag) {
    EXPECT_EQ(-7, DiffHex2Dec("9F", 1));
    EXPECT_EQ(-1, DiffHex2Dec("9F", 0));
    EXPECT_EQ(-1, DiffHex2Dec("9F", 256)) << "256 counts as false";
    EXPECT_EQ(-7, DiffHex2Dec("9F", 0x101));
}

TEST(DiffHex2Dec, StopsAtTheTerminatorAndNull) {
    const char ended[2] = {'\0', '9'};  // the '9' lies past the text's end
    EXPECT_EQ(0, DiffHex2Dec(ended, 0));
    EXPECT_EQ(0, DiffHex2Dec(nullptr, 1));
}

TEST(DiffDec2Hex, DecimalToDigit) {
    struct Case {
        const char* text;
        char digit;
    } cases[] = {
        {"-8", '8'}, {"-7", '9'},         {"-6", 'A'},          {"-5", 'B'},
        {"-4", 'C'}, {"-3", 'D'},         {"-2", 'E'},          {"-1", 'F'},
        {"0", '0'},  {"1", '1'},          {"6", '6'},           {"7", '7'},
        {"8", '0'},  {"-9", '0'},         {"100", '0'},         {"12abc", '0'},
        {"", '0'},   {"abc", '0'},        {" \t-3", 'D'},       {"+7", '7'},
        {"5x", '5'}, {"4294967295", '0'}, {"-4294967297", '0'}, {"99999999999999999999999", '0'},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.digit, DiffDec2Hex(c.text)) << "\"" << c.text << "\"";
    }
    EXPECT_EQ('0', DiffDec2Hex(nullptr));
}

TEST(HexPowerIndex, DifferenceEntries) {
    struct Case {
        int32_t dA, dB;
        const char* entry;
    } cases[] = {
        {-1, 2, "2F"},
        {-8, -8, "88"},
        {0, 0, " 0"},
        {7, 0, " 7"},
        // Differences without a 4-bit form are written as the digit 0.
        {8, 1, "10"},
        {-9, 0, " 0"},
        {3, 8, " 3"},
        {0, INT_MIN, " 0"},
    };
    for (const auto& c : cases) {
        Tables tables = tables_of(1, 0);
        tables[2][0] = 100;
        tables[3][0] = 100;
        for (int g = 0; g < 3; ++g) {
            tables[4 + 2 * g][0] = 100 + c.dA;
            tables[5 + 2 * g][0] = static_cast<int32_t>(int64_t{100} + c.dB);
        }
        const Texts texts = encode(1, tables);
        for (int k = 4; k < kTexts; ++k) {
            EXPECT_EQ(c.entry, texts[k]) << "dA " << c.dA << " dB " << c.dB;
        }
    }
}

TEST(HexPowerIndex, PlainAndBaseValuesAreClampedToOneByte) {
    struct Case {
        int32_t value;
        const char* entry;
    } cases[] = {{0, " 0"},   {5, " 5"},    {15, " F"},      {16, "10"}, {255, "FF"},
                 {256, "FF"}, {4096, "FF"}, {INT_MAX, "FF"}, {-1, " 0"}, {INT_MIN, " 0"}};
    for (const auto& c : cases) {
        Tables tables = tables_of(2, 0x22);
        for (int t = 0; t < 4; ++t) {
            tables[t][0] = c.value;
        }
        for (int t = 4; t < kTables; ++t) {
            tables[t][0] = c.value;  // zero differences
        }
        const Texts texts = encode(2, tables);
        for (int t = 0; t < 4; ++t) {
            EXPECT_EQ(std::string(c.entry) + "22", texts[t]) << "value " << c.value;
        }
    }
}

TEST(HexPowerIndex, CountOfZeroOrLessWritesEmptyTexts) {
    for (int32_t count : {0, -1, -200, INT_MIN}) {
        const Texts texts = encode(count, tables_of(1, 1));
        for (const auto& text : texts) {
            EXPECT_EQ("", text) << "count " << count;
        }
    }
}

TEST(HexPowerIndex, NullPointerWritesNothing) {
    Tables tables = tables_of(1, 1);
    std::array<std::array<char, 4>, kTexts> out;
    for (auto& text : out) {
        text.fill(kGuardByte);
    }
    EXPECT_EQ(0, HexPowerIndex(1, tables[0].data(), tables[1].data(), tables[2].data(), tables[3].data(),
                               tables[4].data(), tables[5].data(), tables[6].data(), tables[7].data(), tables[8].data(),
                               tables[9].data(), out[0].data(), out[1].data(), out[2].data(), out[3].data(),
                               out[4].data(), out[5].data(), nullptr));
    for (const auto& text : out) {
        EXPECT_EQ(kGuardByte, text[0]);
    }
}

// Any one of the seventeen pointers missing: nothing is read or written, in
// either direction.
TEST(PowerIndex, AnyOneMissingPointerDoesNothing) {
    constexpr int kPointers = kTexts + kTables;
    for (int missing = 0; missing < kPointers; ++missing) {
        Texts texts = kExampleTexts;
        Tables tables = tables_of(2, -999);
        std::array<const char*, kTexts> in{};
        std::array<int32_t*, kTables> out{};
        for (int k = 0; k < kTexts; ++k) in[k] = k == missing ? nullptr : texts[k].c_str();
        for (int k = 0; k < kTables; ++k) out[k] = kTexts + k == missing ? nullptr : tables[k].data();
        EXPECT_EQ(0, DecPowerIndex(2, in[0], in[1], in[2], in[3], in[4], in[5], in[6], out[0], out[1], out[2], out[3],
                                   out[4], out[5], out[6], out[7], out[8], out[9]));
        EXPECT_EQ(tables, tables_of(2, -999)) << "decoding without pointer " << missing;

        Tables values = kExampleTables;
        std::array<std::array<char, 8>, kTexts> hex;
        for (auto& text : hex) text.fill(kGuardByte);
        std::array<const int32_t*, kTables> from{};
        std::array<char*, kTexts> to{};
        for (int k = 0; k < kTables; ++k) from[k] = k == missing ? nullptr : values[k].data();
        for (int k = 0; k < kTexts; ++k) to[k] = kTables + k == missing ? nullptr : hex[k].data();
        EXPECT_EQ(0, HexPowerIndex(2, from[0], from[1], from[2], from[3], from[4], from[5], from[6], from[7], from[8],
                                   from[9], to[0], to[1], to[2], to[3], to[4], to[5], to[6]));
        for (const auto& text : hex) {
            EXPECT_EQ(std::string(text.data(), text.size()), std::string(8, kGuardByte))
                << "encoding without pointer " << missing;
        }
    }
}

}  // namespace
