// Printing argument values into a command template's "%d" and "%s"
// placeholders, bounded by the command buffer.
//
// Unlike a printf-family call, the placeholders are filled from a typed list:
// a template that asks for a value of the wrong kind, or more values than
// given, is refused instead of reading stray memory, and a "%" inside a
// caller's text is printed as it is.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

namespace mpdll::commands {

struct LineArg {
    bool isText;
    std::int32_t number;
    std::string_view text;

    LineArg(std::int32_t value) noexcept : isText(false), number(value) {}
    LineArg(std::string_view value) noexcept : isText(true), number(0), text(value) {}
};

// Writes the template with each "%d" and "%s" replaced, in order, by the next
// argument (a number in decimal, a text as it is), and a terminator, into
// out. Every other character is copied. Returns false when the result does
// not fit in out.size() - 1 characters, when an argument is missing or of the
// other kind, or when arguments are left over; out then holds a cut or
// partial text that must not be sent.
bool format_line(std::span<char> out, std::string_view templateText, std::initializer_list<LineArg> args) noexcept;

}  // namespace mpdll::commands
