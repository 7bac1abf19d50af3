// What the board has said since the login's last line, and how it ends.
#include "connection/telnet/login_text.h"

#include <algorithm>
#include <span>

#include "connection/answer/echo_match.h"
#include "connection/answer/prompt_search.h"
#include "text/secret_mask.h"
#include "text/text_characters.h"

namespace mpdll {
namespace {

constexpr char kTerminalEscape = '\x1b';
// The end of the text looked at for a question or a refusal line.
constexpr std::size_t kEndLookedAt = 256;
using Plain = std::array<char, kEndLookedAt>;

// The text as a person reads it off the screen: colour and cursor
// sequences, blanks and control bytes left out, a to z upper-cased.
std::string_view plain_upper(std::string_view text, Plain& out) {
    std::size_t length = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        const char c = text[at];
        if (c == kTerminalEscape) {
            // ESC [ parameters final-byte, or ESC and one more byte.
            if (at + 1 < text.size() && text[at + 1] == '[') {
                at += 2;
                while (at < text.size() && (text[at] < 0x40 || text[at] > 0x7e)) ++at;
            } else {
                ++at;
            }
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= ' ' || byte == 0x7f) continue;
        out[length++] = upper_case(c);
    }
    return {out.data(), length};
}

bool ends_line(char c) { return c == '\r' || c == '\n'; }

// The last line that holds more than blanks, without its line end.
std::string_view last_line(std::string_view text) {
    std::size_t end = text.size();
    while (end > 0 && (is_space(text[end - 1]) || text[end - 1] == '\0')) --end;
    std::size_t start = end;
    while (start > 0 && !ends_line(text[start - 1])) --start;
    return text.substr(start, end - start);
}

// A refusal line; the notices a good login shows about failed logins
// before it ("Last failed login: ...", "There were 2 failed login
// attempts since the last successful login.") are none.
bool refuses(std::string_view line) {
    for (const std::string_view notice : {"LASTFAILEDLOGIN", "FAILEDLOGINATTEMPT"})
        if (line.find(notice) != std::string_view::npos) return false;
    for (const std::string_view word : {"INCORRECT", "DENIED", "FAILED"})
        if (line.find(word) != std::string_view::npos) return true;
    return false;
}

}  // namespace

void LoginText::append(std::string_view data) noexcept {
    length_ = append_keeping_newest(text_, length_, data, secret_);
}

LoginEnding LoginText::ending(std::string_view prompt) const noexcept {
    if (ends_with_prompt(text().substr(0, end_before_trailing_controls(text())), prompt)) return LoginEnding::prompt;
    const std::string_view end = text().substr(length_ - std::min(length_, kEndLookedAt));
    Plain work;
    const std::string_view plain = plain_upper(end, work);
    if (plain.ends_with("LOGIN:") || plain.ends_with("USERNAME:")) return LoginEnding::user;
    if (plain.ends_with("PASSWORD:")) return LoginEnding::password;
    if (refuses(plain_upper(last_line(end), work))) return LoginEnding::refusal;
    return LoginEnding::nothing;
}

void LoginText::mask_for_showing() noexcept { mask_secret(std::span<char>(text_.data(), length_), secret_); }

}  // namespace mpdll
