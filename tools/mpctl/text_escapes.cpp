// Escapes in typed texts and in board answers shown on a terminal.
#include "text_escapes.h"

#include <cstdio>

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

std::string masked(std::string text, std::string_view secret) {
    if (secret.empty()) {
        return text;
    }
    for (std::size_t at = text.find(secret); at != std::string::npos; at = text.find(secret, at + 4)) {
        text.replace(at, secret.size(), "****");
    }
    return text;
}

}  // namespace mpctl
