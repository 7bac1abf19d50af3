// The command catalogue and the putting in of the board's interface name and
// tool word (mp_command_d2s, mp_command_s2s, mp_command_c2s).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <span>
#include <string>
#include <vector>

#include "commands/board_names.h"
#include "mpdll/mpdll.h"

namespace {

struct Context {
    DevContext dev{};
    Context(const char* ifName = "", const char* tool = "", const char* chip = "") {
        std::strncpy(dev.ifName, ifName, sizeof dev.ifName - 1);
        std::strncpy(dev.toolPath, tool, sizeof dev.toolPath - 1);
        std::strncpy(dev.chipModel, chip, sizeof dev.chipModel - 1);
    }
};

using Buffer = std::array<char, 2048>;

std::string c2s(DevContext& dev, uint32_t id, int32_t raw, int32_t* status = nullptr) {
    Buffer out{};
    const int32_t result = mp_command_c2s(&dev, id, out.data(), raw);
    if (status) *status = result;
    return out.data();
}

struct CatalogueEntry {
    uint32_t id;
    const char* text;
};

// Names each entry by its number and text: 3 is "iwpriv wlan0 mp_channel %d".
void PrintTo(const CatalogueEntry& entry, std::ostream* os) {
    *os << entry.id << " is " << ::testing::PrintToString(entry.text);
}

class Catalogue : public ::testing::TestWithParam<CatalogueEntry> {};

TEST_P(Catalogue, RawAndWithDefaultNamesGiveTheStoredText) {
    Context c;
    int32_t status = -1;
    EXPECT_EQ(c2s(c.dev, GetParam().id, 1, &status), GetParam().text);
    EXPECT_EQ(status, MPDLL_OK);
    EXPECT_EQ(c2s(c.dev, GetParam().id, 0, &status), GetParam().text);
    EXPECT_EQ(status, MPDLL_OK);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, Catalogue,
    ::testing::Values(CatalogueEntry{0, "iwpriv wlan0 mp_start"}, CatalogueEntry{1, "iwpriv wlan0 mp_stop"},
                      CatalogueEntry{2, "iwpriv wlan0 mp_rate %d"}, CatalogueEntry{3, "iwpriv wlan0 mp_channel %d"},
                      CatalogueEntry{4, "iwpriv wlan0 mp_bandwidth 40M=%d,shortGI=%d"},
                      CatalogueEntry{5, "iwpriv wlan0 mp_txpower patha=%d,pathb=%d"},
                      CatalogueEntry{6, "iwpriv wlan0 mp_phypara xcap=%d"},
                      CatalogueEntry{7, "iwpriv wlan0 mp_bssid %s"}, CatalogueEntry{8, "iwpriv wlan0 mp_ant_tx %s"},
                      CatalogueEntry{9, "iwpriv wlan0 mp_ant_rx %s"}, CatalogueEntry{10, "iwpriv wlan0 mp_arx %s"},
                      CatalogueEntry{11, "filter_init"}, CatalogueEntry{12, "filter_clean"},
                      CatalogueEntry{13, "filter_DA=%s"}, CatalogueEntry{14, "filter_SA=%s"},
                      CatalogueEntry{15, "filter_BSSID=%s"}, CatalogueEntry{16, "start"}, CatalogueEntry{17, "stop"},
                      CatalogueEntry{18, "iwpriv wlan0 mp_ctx %s"}, CatalogueEntry{19, "pkt"}, CatalogueEntry{20, ""},
                      CatalogueEntry{21, "stone"}, CatalogueEntry{22, "cs"}, CatalogueEntry{23, "background"},
                      CatalogueEntry{24, "start"}, CatalogueEntry{25, "stop"},
                      CatalogueEntry{26, "iwpriv wlan0 mp_query"}, CatalogueEntry{27, "iwpriv wlan0 mp_pwrtrk %s"},
                      CatalogueEntry{28, "start"}, CatalogueEntry{29, "iwpriv wlan0 mp_ther"},
                      CatalogueEntry{30, "stop"}, CatalogueEntry{31, "iwpriv wlan0 mp_tssi"},
                      CatalogueEntry{32, "ther=%d"}, CatalogueEntry{33, "filter_print"},
                      CatalogueEntry{100, "iwpriv wlan0 mp_txpower %s"}, CatalogueEntry{101, "addbyrate"}));

TEST(Catalogue, IdentifiersOutsideLeaveOutUntouchedButStillUpperCaseTheModel) {
    for (uint32_t id : {34u, 99u, 102u, 4294967295u}) {
        Context c("wlan1", "", "mxr4700d");
        Buffer out;
        out.fill('#');
        EXPECT_EQ(mp_command_c2s(&c.dev, id, out.data(), 0), MPDLL_E_COMMAND_ID) << id;
        EXPECT_EQ(std::count(out.begin(), out.end(), '#'), static_cast<long>(out.size())) << id;
        EXPECT_STREQ(c.dev.chipModel, "MXR4700D");
    }
}

struct NamesCase {
    const char* ifName;
    const char* tool;
    uint32_t id;
    const char* expected;
};

// Names each case by what it puts in: interface "wlan1", tool "", entry 0.
void PrintTo(const NamesCase& c, std::ostream* os) {
    *os << "interface " << ::testing::PrintToString(c.ifName) << ", tool " << ::testing::PrintToString(c.tool)
        << ", entry " << c.id;
}

class NamesPutIn : public ::testing::TestWithParam<NamesCase> {};

TEST_P(NamesPutIn, ReplaceTheFirstWordsOnly) {
    Context c(GetParam().ifName, GetParam().tool);
    EXPECT_EQ(c2s(c.dev, GetParam().id, 0), GetParam().expected);
    EXPECT_EQ(c2s(c.dev, GetParam().id, 256), GetParam().expected);  // only the low byte of raw counts
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NamesPutIn,
    ::testing::Values(NamesCase{"wlan1", "", 0, "iwpriv wlan1 mp_start"},
                      NamesCase{"wlan0-va0", "/bin/iwpriv", 3, "/bin/iwpriv wlan0-va0 mp_channel %d"},
                      NamesCase{"", "iw", 0, "iw wlan0 mp_start"}, NamesCase{"ath0", "", 1, "iwpriv ath0 mp_stop"},
                      NamesCase{"x", "y", 13, "filter_DA=%s"}, NamesCase{"x", "y", 101, "addbyrate"},
                      // the tool word comes in after the interface name and is searched again
                      NamesCase{"iwpriv", "tool", 26, "tool iwpriv mp_query"},
                      NamesCase{"wlan0wlan0", "", 29, "iwpriv wlan0wlan0 mp_ther"}));

TEST(NamesPutIn, RawIgnoresTheNames) {
    Context c("ath9", "/sbin/x");
    EXPECT_EQ(c2s(c.dev, 3, 1), "iwpriv wlan0 mp_channel %d");
}

TEST(NamesPutIn, TextConversionFirstOccurrenceAndLetterCase) {
    struct Case {
        const char* ifName;
        const char* tool;
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"", "", "ifconfig wlan0 down", "ifconfig wlan0 down"},
        {"eth1", "", "ifconfig wlan0 down", "ifconfig eth1 down"},
        {"eth1", "t", "wlan0 wlan0 iwpriv iwpriv", "eth1 wlan0 t iwpriv"},
        {"eth1", "t", "WLAN0 IWPRIV", "WLAN0 IWPRIV"},
        {"eth1", "t", "", ""},
    };
    for (const Case& k : cases) {
        Context c(k.ifName, k.tool);
        Buffer out{};
        EXPECT_EQ(mp_command_s2s(&c.dev, k.text, out.data()), MPDLL_OK);
        EXPECT_STREQ(out.data(), k.expected) << k.text;
    }
}

TEST(NamesRead, DefaultsAndFlag) {
    struct Case {
        const char* ifName;
        const char* tool;
        const char* chip;
        const char* ifOut;
        const char* toolOut;
        int32_t flag;  // 7: left as the caller set it
    };
    const Case cases[] = {
        {"", "x", "", "wlan0", "x", 7},
        {"wlan1", "", "MXR4700LA", "wlan1", "iwpriv", 1},
        {"", "", "mXr4700la", "wlan0", "iwpriv", 1},
        {"", "", "MXR4700D", "wlan0", "iwpriv", 0},
        {"", "", "MXR4700LA ", "wlan0", "iwpriv", 0},
    };
    for (const Case& k : cases) {
        Context c(k.ifName, k.tool, k.chip);
        Buffer ifOut{}, toolOut{};
        int32_t flag = 7;
        EXPECT_EQ(mp_command_d2s(&c.dev, ifOut.data(), toolOut.data(), &flag), MPDLL_OK);
        EXPECT_STREQ(ifOut.data(), k.ifOut);
        EXPECT_STREQ(toolOut.data(), k.toolOut);
        EXPECT_EQ(flag, k.flag) << k.chip;
    }
}

TEST(ChipModel, FilterReportWordFollowsTheModelAndTheFieldStaysUpperCased) {
    struct Case {
        const char* chip;
        const char* word;
        const char* fieldAfter;
    };
    const Case cases[] = {{"mxr4700la", "filter_clean", "MXR4700LA"},
                          {"Mxr4700La", "filter_clean", "MXR4700LA"},
                          {"MXR4700D", "filter_print", "MXR4700D"},
                          {"other", "filter_print", "OTHER"},
                          {"", "filter_print", ""}};
    for (const Case& k : cases) {
        Context c("", "", k.chip);
        EXPECT_EQ(c2s(c.dev, 33, 0), k.word) << k.chip;
        EXPECT_EQ(c2s(c.dev, 33, 1), k.word) << k.chip;
        EXPECT_STREQ(c.dev.chipModel, k.fieldAfter);
    }
}

TEST(ChipModel, UnterminatedFieldIsUpperCasedWithinItsFiftyBytes) {
    Context c("", "lowertool");
    std::memset(c.dev.chipModel, 'a', sizeof c.dev.chipModel);
    Buffer out{};
    EXPECT_EQ(mp_command_c2s(&c.dev, 0, out.data(), 0), MPDLL_OK);
    EXPECT_EQ(std::string(c.dev.chipModel, sizeof c.dev.chipModel), std::string(50, 'A'));
    EXPECT_STREQ(c.dev.toolPath, "lowertool");
    EXPECT_STREQ(out.data(), "lowertool wlan0 mp_start");
}

TEST(OverlongText, ConversionWritesAtMost2047CharactersAndATerminator) {
    struct Case {
        const char* ifName;
        std::string text;
    };
    const Case cases[] = {
        {"", std::string(3000, 'z')},  // the template itself is too long
        {"a-much-longer-interface-name-than-five", "wlan0 " + std::string(2030, 'z')},  // the result is
    };
    for (const Case& k : cases) {
        Context c(k.ifName);
        std::array<char, 2100> out;
        out.fill('#');
        EXPECT_EQ(mp_command_s2s(&c.dev, k.text.c_str(), out.data()), MPDLL_OK);
        EXPECT_EQ(std::strlen(out.data()), 2047u);
        EXPECT_EQ(out[2048], '#');
    }
}

TEST(OverlongText, TemplateLongerThanALineStillConvertsWhenShorterNamesMakeItFit) {
    Context c("w", "i");
    const std::string text = "iwpriv wlan0 " + std::string(2040, 'z');  // 2053 characters
    Buffer out{};
    EXPECT_EQ(mp_command_s2s(&c.dev, text.c_str(), out.data()), MPDLL_OK);
    EXPECT_EQ(std::string(out.data()), "i w " + std::string(2040, 'z'));
}

TEST(NullPointers, AreRefusedWithoutTouchingAnything) {
    Context c;
    Buffer a{}, b{};
    int32_t flag = 0;
    EXPECT_EQ(mp_command_d2s(nullptr, a.data(), b.data(), &flag), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_d2s(&c.dev, nullptr, b.data(), &flag), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_d2s(&c.dev, a.data(), nullptr, &flag), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_d2s(&c.dev, a.data(), b.data(), nullptr), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_s2s(nullptr, "x", a.data()), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_s2s(&c.dev, nullptr, a.data()), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_s2s(&c.dev, "x", nullptr), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_c2s(nullptr, 0, a.data(), 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(mp_command_c2s(&c.dev, 0, nullptr, 0), MPDLL_E_ARGUMENT);
    EXPECT_EQ(a[0], '\0');
    EXPECT_EQ(b[0], '\0');
}

// The line area given to put_board_names: nothing at all is refused, and an
// area larger than a command line still gets at most a line.
TEST(PutBoardNames, AreaSizesBoundTheResult) {
    struct Case {
        std::size_t room;
        std::size_t textLength;  // "iwpriv wlan0 " then letters
        bool fits;
        std::size_t resultLength;
    };
    const Case cases[] = {
        {0, 20, false, 0},
        {1, 20, false, 0},
        {4096, 2047, true, 2047 - 13 + 5 + 2},  // "iw" and "wl0": 4 and 3 shorter
        {4096, 2100, false, 2047},
        {2048, 2047, true, 2047 - 13 + 5 + 2},
    };
    for (const Case& c : cases) {
        Context ctx("wl0", "iw");
        const std::string text = "iwpriv wlan0 " + std::string(c.textLength - 13, 'x');
        std::vector<char> area(std::max<std::size_t>(c.room, 1) + 8, '#');
        const bool fits = mpdll::commands::put_board_names(ctx.dev, text, std::span<char>(area.data(), c.room));
        EXPECT_EQ(fits, c.fits) << c.room << "/" << c.textLength;
        if (c.room > 0) {
            EXPECT_EQ(std::string(area.data()).size(), c.resultLength) << c.room << "/" << c.textLength;
            EXPECT_EQ(std::string(area.data()).substr(0, 7), std::string("iw wl0 ").substr(0, c.resultLength));
        }
        EXPECT_EQ(area[c.room], '#') << "nothing past the area";
        const std::size_t lineEnd = std::min<std::size_t>(c.room, 2048);
        EXPECT_TRUE(std::all_of(area.begin() + static_cast<std::ptrdiff_t>(lineEnd), area.end(), [](char b) {
            return b == '#';
        })) << "nothing past a command line";
    }
}

}  // namespace
