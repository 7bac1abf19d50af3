// Recognising the echo of a typed line in what the board's terminal sends
// back. A terminal echoes the characters of the line, but a line editor may
// wrap a long line (CR, LF, a blank and a backspace at the margin), redraw
// it with escape sequences, and end it with CR NUL or CR LF; those bytes are
// passed over between the line's characters. The echo is whole once the
// line's last character is followed by a line end.
#pragma once

#include <cstddef>
#include <string_view>

namespace mpdll {

enum class EchoMatch {
    none,     // the text at that place is not this line's echo
    partial,  // the text ends inside what may still become the echo
    whole,    // the echo, followed by a line end
};

struct EchoAt {
    EchoMatch match = EchoMatch::none;
    std::size_t start = 0;  // whole or partial: where the echo starts
    std::size_t end = 0;    // whole: just past the line's last character
};

// Whether the echo of line starts at text[at]. The line's own CR, LF and NUL
// bytes are not looked for; a line without other characters has no echo.
EchoAt echo_at(std::string_view text, std::size_t at, std::string_view line) noexcept;

// The first whole echo of line at or after from (match none when there is
// none; partial when the text ends inside a possible echo that starts at
// from itself).
EchoAt first_echo(std::string_view text, std::size_t from, std::string_view line) noexcept;

// Where the terminal's own bytes that may stand before a redrawn line end:
// the position of the first byte at or after at that is no CR, NUL or
// escape sequence.
std::size_t past_terminal_controls(std::string_view text, std::size_t at) noexcept;

// The end of text before the terminal control sequences at its very end (a
// line editor may put a cursor query or a colour change behind its prompt).
std::size_t end_before_trailing_controls(std::string_view text) noexcept;

}  // namespace mpdll
