// Rate names and channel texts to the driver's numbers (mp_rate_s2i,
// mp_channel_s2i).
#include <gtest/gtest.h>

#include <string>

#include "mpdll/mpdll.h"

namespace {

struct Conversion {
    const char* text;
    int32_t expected;
};

// Names each case by its text and number: "5.5M" is 11.
void PrintTo(const Conversion& c, std::ostream* os) { *os << ::testing::PrintToString(c.text) << " is " << c.expected; }

class RateText : public ::testing::TestWithParam<Conversion> {};

TEST_P(RateText, GivesItsCode) { EXPECT_EQ(mp_rate_s2i(GetParam().text), GetParam().expected) << GetParam().text; }

INSTANTIATE_TEST_SUITE_P(NamesAndCodes, RateText,
                         ::testing::Values(Conversion{"1M", 2}, Conversion{"2", 2}, Conversion{"2M", 4},
                                           Conversion{"4", 4}, Conversion{"5.5M", 11}, Conversion{"11", 11},
                                           Conversion{"11M", 22}, Conversion{"22", 22}, Conversion{"6M", 12},
                                           Conversion{"12", 12}, Conversion{"9M", 18}, Conversion{"18", 18},
                                           Conversion{"12M", 24}, Conversion{"24", 24}, Conversion{"18M", 36},
                                           Conversion{"36", 36}, Conversion{"24M", 48}, Conversion{"48", 48},
                                           Conversion{"36M", 72}, Conversion{"72", 72}, Conversion{"48M", 96},
                                           Conversion{"96", 96}, Conversion{"54M", 108}, Conversion{"108", 108},
                                           Conversion{"54m", 108}, Conversion{"5.5m", 11}, Conversion{"MCS0", 128},
                                           Conversion{"128", 128}, Conversion{"mcs1", 129}, Conversion{"MCS2", 130},
                                           Conversion{"MCS3", 131}, Conversion{"MCS4", 132}, Conversion{"MCS5", 133},
                                           Conversion{"MCS6", 134}, Conversion{"MCS7", 135}, Conversion{"MCS8", 136},
                                           Conversion{"MCS9", 137}, Conversion{"MCS10", 138}, Conversion{"MCS11", 139},
                                           Conversion{"MCS12", 140}, Conversion{"MCS13", 141}, Conversion{"McS14", 142},
                                           Conversion{"mcs15", 143}, Conversion{"143", 143}, Conversion{"129", 129}));

INSTANTIATE_TEST_SUITE_P(NotInTheTableGiveTheDefault, RateText,
                         ::testing::Values(Conversion{"54", 135}, Conversion{"1", 135}, Conversion{"5.5", 135},
                                           Conversion{"MCS16", 135}, Conversion{"MCS07", 135}, Conversion{"HT7", 135},
                                           Conversion{"", 135}, Conversion{" 54M", 135}, Conversion{"54M ", 135},
                                           Conversion{"54MB", 135}, Conversion{"144", 135}, Conversion{"MCS", 135},
                                           Conversion{nullptr, 135}));

TEST(RateText, OverlongTextMatchesNothing) {
    std::string text(5000, ' ');
    text.replace(0, 3, "54M");
    EXPECT_EQ(mp_rate_s2i(text.c_str()), 135);
    const std::string exact(4000, '1');
    EXPECT_EQ(mp_rate_s2i(exact.c_str()), 135);
}

class ChannelText : public ::testing::TestWithParam<Conversion> {};

TEST_P(ChannelText, GivesItsChannel) {
    EXPECT_EQ(mp_channel_s2i(GetParam().text), GetParam().expected) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(ChannelNumbers, ChannelText,
                         ::testing::Values(Conversion{"6", 6}, Conversion{"CH6", 6}, Conversion{"-6", 6},
                                           Conversion{"0", 0}, Conversion{"200", 200}, Conversion{"", 3},
                                           Conversion{"auto", 3}, Conversion{nullptr, 3}, Conversion{"ch 1, 40M", 140},
                                           Conversion{"0006", 6}));

INSTANTIATE_TEST_SUITE_P(Band24, ChannelText,
                         ::testing::Values(Conversion{"2412", 1}, Conversion{"2437MHz", 6}, Conversion{"2.437GHz", 6},
                                           Conversion{"2472", 13}, Conversion{"2484", 14}, Conversion{"2477", 14},
                                           Conversion{"2482", 15}, Conversion{"2416", 1}));

INSTANTIATE_TEST_SUITE_P(Band5, ChannelText,
                         ::testing::Values(Conversion{"5180", 36}, Conversion{"5200", 40}, Conversion{"5745", 149},
                                           Conversion{"5825", 165}, Conversion{"5184", 36}, Conversion{"5176", 36},
                                           Conversion{"5000", 0}));

INSTANTIATE_TEST_SUITE_P(InBetween, ChannelText,
                         ::testing::Values(Conversion{"201", -959}, Conversion{"2411", -517},
                                           Conversion{"2485", -503}));

// Up to 19 digits are read; values beyond the signed 32-bit range give the
// default instead of an undefined result.
INSTANTIATE_TEST_SUITE_P(LongDigitRuns, ChannelText,
                         ::testing::Values(Conversion{"2147483647", (2147483647 - 5180) / 5 + 36},
                                           Conversion{"2147483648", 3}, Conversion{"99999999999999999999999", 3},
                                           Conversion{"0000000000000000006", 6},
                                           Conversion{"00000000000000000000000006", 0},  // the 6 is the 26th digit
                                           Conversion{"9999999999999999999", 3}));

}  // namespace
