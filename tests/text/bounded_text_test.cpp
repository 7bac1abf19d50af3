// Composing texts in areas they do not own: never a byte past the area,
// always a terminator where there is room for one, and a cut is remembered.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <span>

#include "text/bounded_text.h"

namespace {

using mpdll::TextComposer;

constexpr char kGuard = '#';

TEST(TextComposer, StaysWithinAreasOfEverySize) {
    struct Case {
        const char* name;
        std::size_t room;
        std::function<void(TextComposer&)> compose;
        const char* text;
        bool fits;
    };
    const Case cases[] = {
        {"no room at all", 0, [](TextComposer& t) { t.append("abc"); }, "", false},
        {"no room, nothing appended", 0, [](TextComposer&) {}, "", false},
        {"room for the terminator only", 1, [](TextComposer& t) { t.append("a"); }, "", false},
        {"room for the terminator, empty text", 1, [](TextComposer& t) { t.append(""); }, "", true},
        {"exactly fits", 4, [](TextComposer& t) { t.append("ab").append("c"); }, "abc", true},
        {"cut", 4, [](TextComposer& t) { t.append("abcd"); }, "abc", false},
        {"stays cut", 4, [](TextComposer& t) { t.append("abcd").append(""); }, "abc", false},
        {"decimal", 12, [](TextComposer& t) { t.append_decimal(INT32_MIN); }, "-2147483648", true},
        {"decimal cut", 5, [](TextComposer& t) { t.append_decimal(-12345); }, "-123", false},
        {"hex", 9, [](TextComposer& t) { t.append_hex(0xFFFFFFFFu); }, "ffffffff", true},
        {"hex of zero", 2, [](TextComposer& t) { t.append_hex(0); }, "0", true},
        {"items", 8, [](TextComposer& t) { t.append_item("a").append_item("b").append_item("c"); }, "a,b,c", true},
        {"item after cut", 3, [](TextComposer& t) { t.append_item("ab").append_item("c"); }, "ab", false},
    };
    for (const Case& c : cases) {
        std::array<char, 16> area;
        area.fill(kGuard);
        TextComposer text(std::span<char>(area).first(c.room));
        c.compose(text);
        EXPECT_STREQ(text.c_str(), c.text) << c.name;
        EXPECT_EQ(text.view(), c.text) << c.name;
        EXPECT_EQ(text.fits(), c.fits) << c.name;
        for (std::size_t i = c.room; i < area.size(); ++i) ASSERT_EQ(area[i], kGuard) << c.name << " byte " << i;
    }
}

TEST(TextWithin, ReadsNoFurtherThanItsLimit) {
    const char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(mpdll::text_within(unterminated, sizeof unterminated), "abcd");
    EXPECT_EQ(mpdll::text_within("ab\0cd", 5), "ab");
    EXPECT_EQ(mpdll::text_within(nullptr, 5), "");
}

}  // namespace
