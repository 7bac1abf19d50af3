// Why an open failed, said in the library's debug text.
#include "connection/open_trace.h"

#include <algorithm>
#include <cstring>

#include "connection/session_log.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/secret_mask.h"

namespace mpdll {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

// What the board said, as it can be read in a log line: control bytes, the
// quote, the backslash and bytes above 126 escaped.
void append_escaped(TextComposer& out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            out.append("\\r");
        else if (c == '\n')
            out.append("\\n");
        else if (c == '\t')
            out.append("\\t");
        else if (c == '"' || c == '\\')
            out.append(c == '"' ? "\\\"" : "\\\\");
        else if (byte < 32 || byte > 126) {
            const char escaped[] = {'\\', 'x', kHexDigits[byte >> 4], kHexDigits[byte & 15]};
            out.append(std::string_view(escaped, sizeof escaped));
        } else
            out.append(std::string_view(&c, 1));
    }
}

}  // namespace

OpenTrace::OpenTrace(std::string_view password) noexcept : password_(password), startMs_(platform::monotonic_ms()) {}

void OpenTrace::heard(std::string_view data) noexcept {
    tailLength_ = append_keeping_newest(tail_, tailLength_, data, password_);
}

// "LEAD STEP after N ms: WHAT (system error E)", the error part only for a
// systemError other than 0.
void OpenTrace::append_headline(TextComposer& text, std::string_view lead, std::string_view what,
                                int systemError) const noexcept {
    text.append(lead).append(step_).append(" after ");
    text.append_decimal(
        static_cast<std::int32_t>(std::min<std::uint64_t>(platform::monotonic_ms() - startMs_, INT32_MAX)));
    text.append(" ms: ").append(what);
    if (systemError != 0) text.append(" (system error ").append_decimal(systemError).append(")");
}

void OpenTrace::note(std::string_view what, int systemError) const noexcept {
    FixedText<512> text;
    append_headline(text, "mpdll: open at ", what, systemError);
    text.append("; going on\n");
    platform::debug_text(text.c_str());
}

void OpenTrace::step(std::string_view name) noexcept {
    step_ = name;
    session_log::open_step(name);
}

std::int32_t OpenTrace::fail(std::string_view why, int systemError) const noexcept {
    std::array<char, kKept> shown = tail_;
    mask_secret(std::span<char>(shown.data(), tailLength_), password_);
    const std::string_view tail(shown.data(), tailLength_);
    FixedText<512> text;
    append_headline(text, "mpdll: open failed at ", why, systemError);
    text.append("; last heard \"");
    append_escaped(text, tail);
    text.append("\"\n");
    platform::debug_text(text.c_str());
    FixedText<400> heard;
    append_escaped(heard, tail);
    session_log::open_failed(step_, why, heard.view());
    return MPDLL_E_OPEN;
}

}  // namespace mpdll
