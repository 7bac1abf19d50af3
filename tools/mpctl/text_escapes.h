// Turning typed escapes into bytes and raw board text into something a
// terminal can show.
#pragma once

#include <string>
#include <string_view>

namespace mpctl {

// "\r", "\n", "\t" and "\\" become CR, LF, TAB and a backslash; any other
// backslash stays as it is.
std::string unescape(std::string_view text);

// CR, LF, TAB and backslash as \r, \n, \t, \\; other control bytes and bytes
// above 126 as \xHH.
std::string printable(std::string_view text);

// text with secret masked as the library masks it (MpdllMaskSecret): every
// occurrence, and a start of it the text ends with, one '*' per byte.
std::string masked(std::string text, const std::string& secret);

}  // namespace mpctl
