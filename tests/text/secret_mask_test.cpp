// Keeping the password out of kept and shown texts: a text cut to its
// newest bytes never keeps a piece of the password the cut went through,
// however the text arrived, and showing it masks the rest.
#include <gtest/gtest.h>

#include <random>
#include <span>
#include <string>
#include <vector>

#include "text/secret_mask.h"

namespace {

using mpdll::append_keeping_newest;
using mpdll::mask_secret;

// What a text shows: the whole stream masked first, then its newest
// `room` bytes, then a start of the secret it ends with masked.
std::string masked_then_cut(std::string stream, const std::string& secret, std::size_t room) {
    for (std::size_t at = stream.find(secret); at != std::string::npos; at = stream.find(secret, at + 1))
        stream.replace(at, secret.size(), secret.size(), '*');
    std::string kept = stream.substr(stream.size() - std::min(room, stream.size()));
    for (std::size_t started = std::min(secret.size() - 1, kept.size()); started > 0; --started) {
        if (kept.ends_with(secret.substr(0, started))) {
            kept.replace(kept.size() - started, started, started, '*');
            break;
        }
    }
    return kept;
}

// The stream fed in the given pieces into an area of `room` bytes, then masked for showing.
std::string kept_and_shown(const std::vector<std::string>& pieces, const std::string& secret, std::size_t room) {
    std::vector<char> area(room, '\0');
    std::size_t length = 0;
    for (const std::string& piece : pieces) length = append_keeping_newest(area, length, piece, secret);
    mask_secret(std::span<char>(area.data(), length), secret);
    return std::string(area.data(), length);
}

constexpr std::size_t kTraceRoom = 96;
const std::string kSecret = "Qz7-Kv9.Wx2_Lm4+Rt6";

TEST(SecretMask, ShownTextMasksWholeAndUnfinishedPasswords) {
    struct Case {
        const char* name;
        std::string text, secret, shown;
    };
    const Case cases[] = {
        {"two whole ones", "a pw1 b pw1", "pw1", "a *** b ***"},
        {"echo stopped short", "Password: Qz7-K", kSecret, "Password: *****"},
        {"no secret", "Password: ", "", "Password: "},
        {"nothing of it", "login: root\r\n", kSecret, "login: root\r\n"},
        {"secret longer than the text", "Qz", kSecret, "**"},
    };
    for (const Case& c : cases) {
        std::string text = c.text;
        mask_secret(std::span<char>(text.data(), text.size()), c.secret);
        EXPECT_EQ(text, c.shown) << c.name;
    }
}

TEST(SecretMask, AnyWayTheTextArrivesShowsWhatMaskingTheWholeWouldShow) {
    // Streams of password pieces, whole passwords and filler, cut into
    // chunks of random sizes, kept in areas small and large.
    std::mt19937 random(20250301);
    const std::vector<std::string> parts = {kSecret, kSecret.substr(0, 5), kSecret.substr(7), "Password: ", "\r\n",
                                            "x",     std::string(40, '-')};
    for (int round = 0; round < 400; ++round) {
        std::string stream;
        const int count = std::uniform_int_distribution<int>(1, 30)(random);
        for (int i = 0; i < count; ++i)
            stream += parts[std::uniform_int_distribution<std::size_t>(0, parts.size() - 1)(random)];
        std::vector<std::string> pieces;
        for (std::size_t at = 0; at < stream.size();) {
            const std::size_t size = std::uniform_int_distribution<std::size_t>(1, 120)(random);
            pieces.push_back(stream.substr(at, size));
            at += size;
        }
        for (const std::size_t room : {std::size_t{20}, kTraceRoom, std::size_t{300}})
            ASSERT_EQ(kept_and_shown(pieces, kSecret, room), masked_then_cut(stream, kSecret, room))
                << "round " << round << ", room " << room << ", stream " << stream;
    }
}

}  // namespace
