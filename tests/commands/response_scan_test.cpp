// The bounded answer scanner: conversions, counts, partial stores, bounds.
#include "commands/response_scan.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <span>
#include <string>

namespace {

using mpdll::scan::scan;
using mpdll::scan::Target;

struct IntCase {
    const char* text;
    const char* format;
    int count;
    std::int32_t value;  // expected when count covers the %d
};

// Names each case by its text and format: "+8" as "%d".
void PrintTo(const IntCase& c, std::ostream* os) {
    *os << ::testing::PrintToString(c.text) << " as " << ::testing::PrintToString(c.format);
}

class ScanInteger : public ::testing::TestWithParam<IntCase> {};

TEST_P(ScanInteger, ReadsLikeSscanf) {
    const IntCase& c = GetParam();
    std::int32_t value = -777;
    const std::array targets{Target::number(&value)};
    EXPECT_EQ(scan(c.text, c.format, targets), c.count);
    EXPECT_EQ(value, c.count == 1 ? c.value : -777);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScanInteger,
    ::testing::Values(IntCase{"42", "%d", 1, 42}, IntCase{"  \t\r\n-17xyz", "%d", 1, -17}, IntCase{"+8", "%d", 1, 8},
                      IntCase{"-", "%d", 0, 0}, IntCase{"- 5", "%d", 0, 0}, IntCase{"", "%d", 0, 0},
                      IntCase{"   ", "%d", 0, 0}, IntCase{"x1", "%d", 0, 0}, IntCase{"2147483647", "%d", 1, INT32_MAX},
                      IntCase{"-2147483648", "%d", 1, INT32_MIN}, IntCase{"2147483648", "%d", 1, INT32_MAX},
                      IntCase{"-2147483649", "%d", 1, INT32_MIN},
                      IntCase{"99999999999999999999999999999", "%d", 1, INT32_MAX},
                      IntCase{"000000000000000000000000000012", "%d", 1, 12}, IntCase{"T:5", "T:%d", 1, 5},
                      IntCase{"t:5", "T:%d", 0, 0}, IntCase{"12 ", "%d ", 1, 12},
                      // vertical tab and form feed are white space too
                      IntCase{"\v\f-3", "%d", 1, -3}, IntCase{"\v\f", "%d", 0, 0},
                      // a width counts the sign: "%1d" leaves no room for a digit after it
                      IntCase{"-5", "%1d", 0, 0}, IntCase{"-56", "%2d", 1, -5}, IntCase{"1234", "%2d", 1, 12},
                      IntCase{"7", "%0d", 1, 7},                             // a zero width is no width
                      IntCase{"7", "%", 0, 0}, IntCase{"7", "%12", 0, 0}));  // a format cut after '%' or its width

TEST(Scan, TextEndsAtItsFirstNul) {
    using namespace std::string_literals;
    std::array<char, 8> word{};
    EXPECT_EQ(scan("ab\0cd"s, "%s", std::array{Target::into(word)}), 1);
    EXPECT_STREQ(word.data(), "ab");
    EXPECT_EQ(scan("ab\0:"s, "%[^:]:", std::array{Target::into(word)}), 1);
}

TEST(Scan, SaturatedNumberConsumesAllItsDigits) {
    std::int32_t a = 0, b = 0;
    const std::array targets{Target::number(&a), Target::number(&b)};
    EXPECT_EQ(scan("123456789012345,7", "%d,%d", targets), 2);
    EXPECT_EQ(a, INT32_MAX);
    EXPECT_EQ(b, 7);
}

TEST(Scan, CountersInNormalFormWithAndWithoutPrefix) {
    std::int32_t v[4] = {-1, -1, -1, -1};
    std::array<char, 16> prefix{};
    const std::array withPrefix{Target::into(prefix), Target::number(&v[0]), Target::number(&v[1]),
                                Target::number(&v[2]), Target::number(&v[3])};
    EXPECT_EQ(scan("WLAN0MP_QUERY:TXOK:1,TXFAIL:-2,RXOK:300,CRCERROR:4", "%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d",
                   withPrefix),
              5);
    EXPECT_STREQ(prefix.data(), "WLAN0MP_QUERY");  // cut at 15 characters would show here
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], -2);
    EXPECT_EQ(v[2], 300);
    EXPECT_EQ(v[3], 4);

    // Without a prefix the first form stops after storing the prefix only.
    EXPECT_EQ(scan("TXOK:9,TXFAIL:8,RXOK:7,CRCERROR:6", "%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", withPrefix), 1);
    EXPECT_EQ(v[0], 1);
}

TEST(Scan, StoresEachConversionBeforeALaterFailure) {
    std::int32_t a = 0, b = 0, c = 0;
    const std::array targets{Target::number(&a), Target::number(&b), Target::number(&c)};
    EXPECT_EQ(scan("Tx OK:5, Tx Fail:6, Rx ok:7", "Tx OK:%d, Tx Fail:%d, Rx OK:%d", targets), 2);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, 6);
    EXPECT_EQ(c, 0);
}

TEST(Scan, BlankInFormatMatchesAnyWhiteSpaceOrNone) {
    std::int32_t a = 0;
    const std::array targets{Target::number(&a)};
    EXPECT_EQ(scan("A:1", "A: %d", targets), 1);
    EXPECT_EQ(scan("A: \t\r\n 2", "A:%d", targets), 1);
    EXPECT_EQ(a, 2);
    EXPECT_EQ(scan("data:    X:3", "data: X:%d", targets), 1);
    EXPECT_EQ(a, 3);
    EXPECT_EQ(scan("data:X:4", "data:    X:%d", targets), 1);
    EXPECT_EQ(a, 4);
}

TEST(Scan, BracketNeedsAtLeastOneCharacter) {
    std::array<char, 8> prefix{'u', 'n', 't', 'o', 'u', 'c', 'h', '\0'};
    std::int32_t value = -1;
    const std::array targets{Target::into(prefix), Target::number(&value)};
    EXPECT_EQ(scan(":5", "%[^:]:%d", targets), 0);
    EXPECT_STREQ(prefix.data(), "untouch");
    EXPECT_EQ(value, -1);
    EXPECT_EQ(scan("no colon here", "%[^:]:%d", targets), 1);  // prefix runs to the end
    EXPECT_EQ(value, -1);
}

TEST(Scan, WidthLimitsTheFieldAndTheRestMustMatch) {
    // A 17-character address field: a short SA swallows the start of "DA:".
    std::array<char, 18> sa{}, da{}, bssid{};
    std::int32_t flag = 0;
    const char* format = "%[^:]:FLAG:%dSA:%17sDA:%17sBSSID:%17s";
    const std::array targets{Target::skip(), Target::number(&flag), Target::into(sa), Target::into(da),
                             Target::into(bssid)};
    EXPECT_EQ(scan("RX:FLAG:1SA:00:11:22:33:44:55DA:66:77:88:99:AA:BBBSSID:CC:DD:EE:FF:00:11", format, targets), 5);
    EXPECT_STREQ(sa.data(), "00:11:22:33:44:55");
    EXPECT_STREQ(da.data(), "66:77:88:99:AA:BB");
    EXPECT_STREQ(bssid.data(), "CC:DD:EE:FF:00:11");

    da.fill('x');
    da.back() = '\0';
    EXPECT_EQ(scan("RX:FLAG:1SA:0:1:2:3:4:5DA:66:77:88:99:AA:BBBSSID:CC:DD:EE:FF:00:11", format, targets), 3);
    EXPECT_STREQ(sa.data(), "0:1:2:3:4:5DA:66:");
    EXPECT_EQ(std::string(da.data()), std::string(17, 'x'));
}

TEST(Scan, TextLongerThanCapacityIsCutAndStillConsumed) {
    std::array<char, 6> word{};
    word.fill('#');
    std::int32_t after = 0;
    const std::array targets{Target::into(std::span<char>(word).first(4)), Target::number(&after)};
    EXPECT_EQ(scan("ABCDEFGH 12", "%s %d", targets), 2);
    EXPECT_STREQ(word.data(), "ABC");  // 3 characters and a terminator in a 4-byte target
    EXPECT_EQ(word[4], '#');           // nothing past the target
    EXPECT_EQ(after, 12);
}

TEST(Scan, TextStopsAtWhiteSpaceAndBelOnlyWhenAsked) {
    std::array<char, 32> value{};
    const std::array plain{Target::into(value)};
    EXPECT_EQ(scan("data: chipVersion:b\n\a", "data:    chipVersion:%s\a", plain), 1);
    EXPECT_STREQ(value.data(), "b");
    EXPECT_EQ(scan("data: chipVersion:b\a", "data:    chipVersion:%s\a", plain), 1);
    EXPECT_STREQ(value.data(), "b\a");

    const std::array untilBel{Target::into_until_bel(value)};
    EXPECT_EQ(scan("data: chipVersion:c\a", "data:    chipVersion:%s\a", untilBel), 1);
    EXPECT_STREQ(value.data(), "c");
    EXPECT_EQ(scan("data: chipVersion:  d e\a", "data:    chipVersion:%s\a", untilBel), 1);
    EXPECT_STREQ(value.data(), "d");
    EXPECT_EQ(scan("data: chipVersion:\a", "data:    chipVersion:%s\a", untilBel), 0);
    EXPECT_STREQ(value.data(), "d");
}

TEST(Scan, TargetsThatDoNotFitEndTheScan) {
    std::array<char, 8> text{};
    std::int32_t value = 0;
    EXPECT_EQ(scan("5 x", "%d %s", std::array{Target::number(&value)}), 1);          // targets run out
    EXPECT_EQ(scan("5", "%d", std::array{Target::into(text)}), 0);                   // text target for %d
    EXPECT_EQ(scan("x", "%s", std::array{Target::number(&value)}), 0);               // integer target for %s
    EXPECT_EQ(scan("7 y", "%d %s", std::array{Target::skip(), Target::skip()}), 2);  // dropped but counted
    EXPECT_EQ(scan("5", "%x", std::array{Target::number(&value)}), 0);               // unknown directive
}

// Directives that are cut or malformed end the scan where they stand; no
// conversion after them is made and nothing is stored for them.
TEST(Scan, MalformedDirectivesEndTheScan) {
    struct Case {
        const char* name;
        const char* text;
        const char* format;
        int count;
    };
    const Case cases[] = {
        {"bracket at the end", "5 ab", "%d %[", 1},        {"bracket without caret", "5 ab]", "%d %[a]", 1},
        {"bracket without closing", "5 ab", "%d %[^a", 1}, {"bracket with two excluded", "5 ab", "%d %[^ab]", 1},
        {"percent at the end", "5 ab", "%d %", 1},
    };
    for (const Case& c : cases) {
        std::int32_t value = -1;
        std::array<char, 8> text{'u', 'n', 't', 'o', 'u', 'c', 'h', '\0'};
        EXPECT_EQ(scan(c.text, c.format, std::array{Target::number(&value), Target::into(text)}), c.count) << c.name;
        EXPECT_EQ(value, 5) << c.name;
        EXPECT_STREQ(text.data(), "untouch") << c.name;
    }
}

TEST(Scan, HugeWidthIsNoLimitAndNeverOverflows) {
    std::array<char, 8> word{};
    const std::string longWord(40, 'w');
    EXPECT_EQ(scan(longWord + " 1", "%99999999999999999999s %d", std::array{Target::into(word), Target::skip()}), 2);
    EXPECT_EQ(std::string(word.data()), std::string(7, 'w'));
}

// A bracket conversion takes only a text (or dropped) target, like %s.
TEST(Scan, BracketWithAnIntegerTargetEndsTheScan) {
    std::int32_t value = -1;
    EXPECT_EQ(scan("12:3", "%[^:]:%d", std::array{Target::number(&value), Target::number(&value)}), 0);
    EXPECT_EQ(value, -1);
}

// Targets that keep nothing still count their conversion and consume it, so
// the rest of the format is matched after the field.
TEST(Scan, TargetsThatKeepNothingStillConsumeTheirField) {
    std::int32_t after = 0;
    std::array<char, 4> guard{'#', '#', '#', '#'};
    const std::array targets{Target::number(nullptr), Target::into(std::span<char>(guard).first(0)),
                             Target::number(&after)};
    EXPECT_EQ(scan("-41 ABCDEF 9", "%d %s %d", targets), 3);
    EXPECT_EQ(after, 9);
    EXPECT_EQ(std::string(guard.data(), guard.size()), "####");
}

}  // namespace
