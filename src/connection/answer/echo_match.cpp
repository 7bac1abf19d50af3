// Recognising the echo of a typed line in the board's terminal output.
#include "connection/answer/echo_match.h"

namespace mpdll {
namespace {

constexpr char kEscape = '\x1b', kBackspace = '\b';

bool is_line_end(char c) { return c == '\r' || c == '\n'; }
bool not_typed(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// The length of the escape sequence at text[at] (ESC [ ... final byte,
// ESC ] ... BEL or ESC \, or ESC and one character); 0 when text[at] is no
// ESC. A sequence cut off by the end of the text runs to that end.
std::size_t escape_length(std::string_view text, std::size_t at) {
    if (text[at] != kEscape) return 0;
    std::size_t next = at + 1;
    if (next >= text.size()) return 1;
    if (text[next] == '[') {
        for (++next; next < text.size(); ++next)
            if (text[next] >= '@' && text[next] <= '~') return next + 1 - at;
        return text.size() - at;
    }
    if (text[next] == ']') {
        for (++next; next < text.size(); ++next) {
            if (text[next] == '\a') return next + 1 - at;
            if (text[next] == kEscape && next + 1 < text.size() && text[next + 1] == '\\') return next + 2 - at;
        }
        return text.size() - at;
    }
    return 2;
}

// Whether an escape sequence (from its ESC) has its final byte.
bool escape_is_whole(std::string_view sequence) {
    if (sequence.size() < 2) return false;
    const char last = sequence.back();
    if (sequence[1] == '[') return sequence.size() > 2 && last >= '@' && last <= '~';
    if (sequence[1] == ']') return last == '\a' || (sequence.size() > 3 && sequence.ends_with("\x1b\\"));
    return sequence.size() == 2;
}

// The length of the terminal's own bytes at text[at] that are no part of a
// typed line: CR, LF, NUL, an escape sequence, a backspace, or a blank and
// the backspace or CR after it (a line editor's wrap at the margin).
std::size_t control_length(std::string_view text, std::size_t at) {
    const char c = text[at];
    if (not_typed(c) || c == kBackspace) return 1;
    if (c == ' ' && at + 1 < text.size() && (text[at + 1] == kBackspace || text[at + 1] == '\r')) return 2;
    return escape_length(text, at);
}

std::size_t first_typed(std::string_view line, std::size_t from) {
    while (from < line.size() && not_typed(line[from])) ++from;
    return from;
}

}  // namespace

std::size_t past_terminal_controls(std::string_view text, std::size_t at) noexcept {
    while (at < text.size()) {
        const char c = text[at];
        const std::size_t skip = c == '\r' || c == '\0' ? 1 : escape_length(text, at);
        if (skip == 0) break;
        at += skip;
    }
    return at;
}

std::size_t end_before_trailing_controls(std::string_view text) noexcept {
    constexpr std::size_t kLongestSequence = 32;
    std::size_t end = text.size();
    for (int sequences = 0; sequences < 4; ++sequences) {
        // Only the last kLongestSequence bytes can hold the sequence's ESC.
        const std::size_t from = end > kLongestSequence ? end - kLongestSequence : 0;
        const std::string_view window = text.substr(from, end - from);
        if (window.find(kEscape) == std::string_view::npos) break;  // the common case, found quickly
        const std::size_t found = window.rfind(kEscape);
        const std::size_t escape = from + found;
        // Only a whole sequence: one cut off by the end may still take in
        // what looks like the prompt.
        const std::string_view sequence = text.substr(escape, end - escape);
        if (escape_length(text.substr(0, end), escape) != sequence.size() || !escape_is_whole(sequence)) break;
        end = escape;
    }
    return end;
}

EchoAt echo_at(std::string_view text, std::size_t at, std::string_view line) noexcept {
    std::size_t want = first_typed(line, 0);
    if (want >= line.size()) return {};
    if (at >= text.size()) return {EchoMatch::partial, at, 0};
    if (text[at] != line[want]) return {};
    std::size_t pos = at;
    while (want < line.size()) {
        if (pos >= text.size()) return {EchoMatch::partial, at, 0};
        if (text[pos] == line[want]) {
            ++pos;
            want = first_typed(line, want + 1);
            continue;
        }
        const std::size_t skip = control_length(text, pos);
        if (skip == 0) return {};
        pos += skip;
    }
    // After the last character: the terminal's own bytes, then a line end.
    const std::size_t end = pos;
    for (;;) {
        if (pos >= text.size()) return {EchoMatch::partial, at, 0};
        if (is_line_end(text[pos])) return {EchoMatch::whole, at, end};
        const std::size_t skip = escape_length(text, pos);
        if (skip == 0) return {};
        pos += skip;
    }
}

EchoAt first_echo(std::string_view text, std::size_t from, std::string_view line) noexcept {
    const std::size_t first = first_typed(line, 0);
    if (first >= line.size()) return {};
    for (std::size_t at = text.find(line[first], from); at != std::string_view::npos;
         at = text.find(line[first], at + 1)) {
        const EchoAt found = echo_at(text, at, line);
        if (found.match == EchoMatch::whole) return found;
        if (found.match == EchoMatch::partial && at == from) return found;
    }
    return echo_at(text, from, line).match == EchoMatch::partial ? EchoAt{EchoMatch::partial, from, 0} : EchoAt{};
}

}  // namespace mpdll
