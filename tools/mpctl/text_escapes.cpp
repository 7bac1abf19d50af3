// Escapes in typed texts and in board answers shown on a terminal.
#include "text_escapes.h"

#include <mpdll/mpdll.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>

namespace mpctl {

std::string unescape(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[i + 1]) {
            case 'r':
                out += '\r';
                ++i;
                break;
            case 'n':
                out += '\n';
                ++i;
                break;
            case 't':
                out += '\t';
                ++i;
                break;
            case '\\':
                out += '\\';
                ++i;
                break;
            default:
                out += '\\';
                break;
        }
    }
    return out;
}

std::string printable(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\\':
                out += "\\\\";
                break;
            default:
                if (c < 0x20 || c > 0x7e) {
                    char hex[8];
                    std::snprintf(hex, sizeof hex, "\\x%02X", c);
                    out += hex;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    return out;
}

std::string masked(std::string text, const std::string& secret) {
    // The texts shown are the library's own (at most one answer long), far
    // below the length one call takes.
    const std::size_t length = std::min<std::size_t>(text.size(), std::numeric_limits<std::int32_t>::max());
    MpdllMaskSecret(text.data(), static_cast<std::int32_t>(length), secret.c_str());
    return text;
}

}  // namespace mpctl
