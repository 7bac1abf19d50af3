// The exported masking (MpdllMaskSecret): what it masks in a caller's text,
// that it stays inside the length it is given whatever the text holds, and
// the arguments it refuses with the text untouched.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "mpdll/mpdll.h"

namespace {

// Guard bytes on both sides of the text: the call must leave them alone.
const std::string kGuardText = "<guard>";

// text masked in place between the guards; the guards are checked too.
std::string masked(const std::string& text, const char* secret) {
    std::string area = kGuardText + text + kGuardText;
    EXPECT_EQ(MpdllMaskSecret(area.data() + kGuardText.size(), static_cast<std::int32_t>(text.size()), secret), MPDLL_OK);
    EXPECT_EQ(area.substr(0, kGuardText.size()), kGuardText) << "written before the text";
    EXPECT_EQ(area.substr(kGuardText.size() + text.size()), kGuardText) << "written past the length";
    return area.substr(kGuardText.size(), text.size());
}

TEST(SecretMaskExport, MasksEveryWholeSecretAndAnUnfinishedOneAtTheEnd) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        std::string text;
        const char* secret;
        std::string shown;
    };
    const Case cases[] = {
        {"echoed and sent again", "echo s3cret\r\ns3cret\r\n# ", "s3cret", "echo ******\r\n******\r\n# "},
        {"one star per byte, the length kept", "pw=ab", "ab", "pw=**"},
        {"overlapping occurrences", "aaaa", "aa", "****"},
        {"echo stopped short", "Password: s3c", "s3cret", "Password: ***"},
        {"a start of it in mid-text stays", "s3c and more", "s3cret", "s3c and more"},
        {"its tail at the front stays (mask before cutting)", "ret\r\n# ", "s3cret", "ret\r\n# "},
        {"a NUL inside the text is read past", "a\0s3cret\0b"s, "s3cret", "a\0******\0b"s},
        {"bytes above 127",
         "\xff"
         "s3cret\xfe",
         "s3cret", "\xff******\xfe"},
        {"empty secret masks nothing", "s3cret", "", "s3cret"},
        {"secret longer than the text", "s3", "s3cret", "**"},
        {"empty text", "", "s3cret", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(masked(c.text, c.secret), c.shown) << c.name;
}

TEST(SecretMaskExport, OnlyTheGivenLengthIsMasked) {
    // The secret runs on past the length: the part inside is a start of it
    // and is masked, the part outside stays as it was.
    std::string text = "key s3cret";
    ASSERT_EQ(MpdllMaskSecret(text.data(), 7, "s3cret"), MPDLL_OK);
    EXPECT_EQ(text, "key ***ret");
}

TEST(SecretMaskExport, RefusesMissingTextOrSecretAndNegativeLengths) {
    struct Case {
        const char* name;
        bool text;
        std::int32_t length;
        const char* secret;
    };
    const Case cases[] = {
        {"NULL text", false, 6, "s3cret"},
        {"NULL secret", true, 6, nullptr},
        {"negative length", true, -1, "s3cret"},
        {"most negative length", true, INT32_MIN, "s3cret"},
    };
    for (const Case& c : cases) {
        std::string text = "s3cret";
        EXPECT_EQ(MpdllMaskSecret(c.text ? text.data() : nullptr, c.length, c.secret), MPDLL_E_ARGUMENT) << c.name;
        EXPECT_EQ(text, "s3cret") << c.name;
    }
}

}  // namespace
