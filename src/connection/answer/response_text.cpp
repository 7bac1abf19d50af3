// Response text helpers: the normal form (FormatBuffer) the queries scan,
// and the "ok" test of a UDP reply (IsBufferOk).
#include "connection/answer/response_text.h"

#include <algorithm>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"
#include "text/text_characters.h"

namespace mpdll {
namespace {
bool is_filler(char c) { return c == '\n' || c == '\r' || c == '\t' || c == ' '; }
}  // namespace

std::size_t normal_form(std::string_view text, std::span<char> out) noexcept {
    if (out.empty()) return 0;
    std::size_t length = 0;
    for (char c : text) {
        if (length + 1 >= out.size()) break;
        if (!is_filler(c)) out[length++] = upper_case(c);
    }
    out[length] = '\0';
    return length;
}

}  // namespace mpdll

// The normal form holds at most 16383 characters; the caller gets as many
// as fit before a terminator.
MPDLL_API int32_t MPDLL_CALL FormatBuffer(const char* in, char* out, int32_t outSize) MPDLL_NOEXCEPT {
    if (!in || !out || outSize < 1) return MPDLL_E_ARGUMENT;
    const std::size_t size = static_cast<std::size_t>(outSize);
    std::memset(out, 0, size);
    mpdll::normal_form(in, std::span<char>(out, std::min(size, mpdll::kResponseSize)));
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL IsBufferOk(const char* text) MPDLL_NOEXCEPT {
    if (!text) return MPDLL_E_ARGUMENT;
    return std::string_view(text).find("ok") != std::string_view::npos ? MPDLL_OK : MPDLL_E_REPLY;
}
