// Reading a query's answer: the setting outcome (UDP needs the lower-case
// "ok", telnet and serial only a completed exchange), and scans with a lead
// compared as it stands and a second form tried when the first does not read.
#include "commands/board_query.h"

#include <gtest/gtest.h>

namespace {

using mpdll::commands::AnswerRead;
using mpdll::commands::kSetting;
using mpdll::commands::read_answer;
using mpdll::scan::Target;

TEST(SettingOutcome, ByFormAndReply) {
    struct Case {
        bool udp;
        const char* reply;
        std::int32_t status;
    };
    const Case cases[] = {
        {true, "mp_rate ok", MPDLL_OK}, {true, "mp_rate OK", MPDLL_E_REPLY}, {true, "", MPDLL_E_REPLY},
        {false, "", MPDLL_OK},          {false, "iwpriv: error", MPDLL_OK},  {false, "anything", MPDLL_OK},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_answer(c.udp ? kSetting.udp : kSetting.shell, c.reply), c.status)
            << (c.udp ? "UDP" : "shell") << " reply \"" << c.reply << '"';
    }
}

TEST(ReadAnswer, LeadFormatAndOtherwise) {
    struct Case {
        const char* name;
        const char* text;
        std::int32_t status;
        std::int32_t value;  // -1: not written
    };
    const Case cases[] = {
        {"lead then value", "data:a%d=12", MPDLL_OK, 12},
        {"lead is not a format", "data:a5=12", MPDLL_E_REPLY, -1},
        {"text shorter than the lead", "data:", MPDLL_E_REPLY, -1},
        {"second form", "N:12", MPDLL_OK, 12},
        {"neither form", "N12", MPDLL_E_REPLY, -1},
        {"empty text", "", MPDLL_E_REPLY, -1},
    };
    for (const Case& c : cases) {
        std::int32_t value = -1;
        const Target number[] = {Target::number(&value)};
        const Target labelAndNumber[] = {Target::skip(), Target::number(&value)};
        const AnswerRead labelled{.format = "%[^:]:%d", .targets = labelAndNumber};
        const AnswerRead read{.format = "%d", .targets = number, .lead = "data:a%d=", .otherwise = &labelled};
        EXPECT_EQ(read_answer(read, c.text), c.status) << c.name;
        EXPECT_EQ(value, c.value) << c.name;
    }
}

TEST(ReadAnswer, EveryTargetMustBeFilled) {
    std::int32_t first = 0, second = 0;
    const Target both[] = {Target::number(&first), Target::number(&second)};
    const AnswerRead read{.format = "%d,%d", .targets = both};
    EXPECT_EQ(read_answer(read, "7,"), MPDLL_E_REPLY);
    EXPECT_EQ(first, 7);  // stored as it was read, as the scanner does
    EXPECT_EQ(read_answer(read, "7,8"), MPDLL_OK);
    EXPECT_EQ(second, 8);
}

}  // namespace
