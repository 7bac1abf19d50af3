// A small, bounded scanf-like reader for the board's answers.
//
// The library reads values out of board text with formats such as
// "%[^:]:TXOK:%d,TXFAIL:%d" or "SA:%17sDA:%17s". This scanner does what
// sscanf does for those formats, but every output has a known size, so no
// answer, however long or odd, can write past a caller's buffer, and no
// number, however large, is undefined behaviour.
//
// Format directives:
//   %d      skips white space; an optional sign and at least one decimal digit.
//           A value outside the signed 32-bit range saturates at INT32_MIN or
//           INT32_MAX (all its digits are still consumed).
//   %s      skips white space; a run of at least one non-white-space character.
//   %Ns     the same, at most N characters (N decimal, e.g. "%17s").
//   %[^X]   a run of at least one character other than X (no white space is
//           skipped first; X may be any single character but ']').
//   blank   any white-space character in the format matches any run of white
//           space in the text, including none.
//   other   any other character must match the text exactly (letter case too).
// White space: space, \t, \n, \v, \f, \r. The text ends at its end or at its
// first NUL, whichever comes first, as a C string would.
//
// Each conversion takes the next Target in order. The scan stops at the
// first directive that does not match, at the end of the text, when the
// targets run out, or when a target does not fit its conversion (a text
// target for %d, an integer target for %s). Like sscanf, it returns the
// number of conversions made and stores each one as soon as it succeeds, so
// a failed scan may have written the outputs before the failure. Unlike
// sscanf it never returns EOF: an empty text gives 0.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace mpdll::scan {

struct Target {  // where one conversion goes
    enum class Kind { integer, text, discard } kind;
    std::int32_t* integer = nullptr;  // for integer (null: converted and dropped)
    // For text: capacity includes the terminator. A field longer than
    // capacity - 1 characters is cut there: the first capacity - 1 characters
    // and a terminator are stored, the rest of the field is still consumed
    // (the scan goes on after the whole field) and counted. With capacity 0
    // nothing is stored.
    std::span<char> text;
    // For text: the field also ends at a BEL (7), which then stays in the text
    // for the rest of the format. Over UDP the board ends some answers with a
    // BEL right after the value; this keeps it out of the caller's text.
    bool endsAtBel = false;

    static Target number(std::int32_t* out);
    static Target into(std::span<char> out);
    static Target into_until_bel(std::span<char> out);
    static Target skip();  // converted and counted, value dropped
};

// Scans text with a scanf-like format and returns the number of conversions
// stored (each stored as soon as it succeeds), like sscanf does.
int scan(std::string_view text, std::string_view format, std::span<const Target> targets) noexcept;

}  // namespace mpdll::scan
