// Filling command templates from a typed argument list, and composing the
// lines and words of catalogue commands: what is refused is never sent, and
// nothing is written past the line.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <span>
#include <string>

#include "commands/command_catalogue.h"
#include "commands/command_line.h"
#include "commands/line_format.h"
#include "text/buffer_sizes.h"

namespace {

using mpdll::kCommandSize;
using namespace mpdll::commands;

constexpr char kGuard = '#';

TEST(FormatLine, PlaceholdersTakeTheArgumentsOfTheirKindInOrder) {
    struct Case {
        const char* name;
        const char* templateText;
        std::initializer_list<LineArg> args;
        bool accepted;
        const char* line;  // when accepted
    };
    const std::string_view word = "a%db";  // a caller's text holding a placeholder is printed as it is
    const Case cases[] = {
        {"number and text", "x=%d,y=%s", {LineArg(-12), LineArg(word)}, true, "x=-12,y=a%db"},
        {"no placeholder", "mp_start", {}, true, "mp_start"},
        {"percent before another letter", "100%x %d", {LineArg(5)}, true, "100%x 5"},
        {"percent at the end", "rate %d%", {LineArg(7)}, true, "rate 7%"},
        {"missing argument", "%d,%d", {LineArg(1)}, false, nullptr},
        {"text for a number", "%d", {LineArg(word)}, false, nullptr},
        {"number for a text", "%s", {LineArg(3)}, false, nullptr},
        {"argument left over", "%d", {LineArg(1), LineArg(2)}, false, nullptr},
        {"argument without placeholder", "stop", {LineArg(1)}, false, nullptr},
    };
    for (const Case& c : cases) {
        std::array<char, 64> out{};
        EXPECT_EQ(format_line(out, c.templateText, c.args), c.accepted) << c.name;
        if (c.accepted) {
            EXPECT_STREQ(out.data(), c.line) << c.name;
        }
    }
}

// The result must fit out.size() - 1 characters; one more is refused and the
// bytes past the area stay untouched.
TEST(FormatLine, ResultIsBoundedByTheArea) {
    struct Case {
        std::size_t room;
        const char* templateText;
        std::int32_t number;
        const char* line;  // nullptr: refused
    };
    const Case cases[] = {
        {8, "ab %d", 1234, "ab 1234"},          {7, "ab %d", 1234, nullptr},     {4, "abcd", 0, nullptr},
        {13, "x%d", INT32_MIN, "x-2147483648"}, {12, "x%d", INT32_MIN, nullptr},
    };
    for (const Case& c : cases) {
        std::array<char, 32> area{};
        area.fill(kGuard);
        const bool accepted = format_line(std::span<char>(area).first(c.room), c.templateText, {LineArg(c.number)});
        EXPECT_EQ(accepted, c.line != nullptr) << c.templateText << " in " << c.room;
        if (c.line) {
            EXPECT_STREQ(area.data(), c.line);
        } else {
            EXPECT_EQ(area[c.room - 1], '\0') << "a cut text still ends within its area";
        }
        for (std::size_t i = c.room; i < area.size(); ++i)
            ASSERT_EQ(area[i], kGuard) << c.templateText << " byte " << i;
    }
}

// Whole command lines (names put in) and argument words of the catalogue.
TEST(Compose, UnknownIdentifiersAndWrongArgumentsComposeNothingToSend) {
    enum class What { line, word };
    struct Case {
        const char* name;
        What what;
        std::uint32_t id;
        std::initializer_list<LineArg> args;
        std::int32_t status;
        const char* text;  // when composed
    };
    const std::string tooLong(kCommandSize, 'A');
    const Case cases[] = {
        {"channel", What::line, kMpChannel, {LineArg(11)}, MPDLL_OK, "iwpriv wlan0 mp_channel 11"},
        {"between the numbered and the text commands", What::line, 34, {}, MPDLL_E_COMMAND_ID, nullptr},
        {"past the last", What::line, 102, {}, MPDLL_E_COMMAND_ID, nullptr},
        {"channel without its number", What::line, kMpChannel, {}, MPDLL_E_ARGUMENT, nullptr},
        {"channel with a text", What::line, kMpChannel, {LineArg(std::string_view("11"))}, MPDLL_E_ARGUMENT, nullptr},
        {"address word", What::word, kArxFilterDa, {LineArg(std::string_view("00:11"))}, MPDLL_OK, "filter_DA=00:11"},
        {"thermal word", What::word, kPwrtrkTher, {LineArg(20)}, MPDLL_OK, "ther=20"},
        {"unknown word", What::word, 99, {}, MPDLL_E_COMMAND_ID, nullptr},
        {"address word without its address", What::word, kArxFilterDa, {}, MPDLL_E_ARGUMENT, nullptr},
        {"thermal word with a text",
         What::word,
         kPwrtrkTher,
         {LineArg(std::string_view("20"))},
         MPDLL_E_ARGUMENT,
         nullptr},
        {"address longer than a line",
         What::word,
         kArxFilterSa,
         {LineArg(std::string_view(tooLong))},
         MPDLL_E_ARGUMENT,
         nullptr},
    };
    for (const Case& c : cases) {
        DevContext dev{};
        std::array<char, kCommandSize> out{};
        const std::int32_t status =
            c.what == What::line ? compose_command(dev, c.id, c.args, out) : compose_word(c.id, c.args, out);
        EXPECT_EQ(status, c.status) << c.name;
        if (c.text) {
            EXPECT_STREQ(out.data(), c.text) << c.name;
        }
    }
}

}  // namespace
