// The connections' lines in the library's debug text.
#include "connection/trace.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "text/secret_mask.h"

namespace mpdll {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";
using TraceLine = FixedText<512>;

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

std::int32_t ms_since(std::uint64_t startMs) {
    return static_cast<std::int32_t>(std::min<std::uint64_t>(platform::monotonic_ms() - startMs, INT32_MAX));
}

// "LEAD STEP after N ms: WHAT (system error E)", the error part only for a
// systemError other than 0.
void append_headline(TextComposer& text, std::string_view lead, std::string_view step, std::uint64_t startMs,
                     std::string_view what, int systemError) {
    text.append(lead).append(step).append(" after ").append_decimal(ms_since(startMs)).append(" ms: ").append(what);
    if (systemError != 0) text.append(" (system error ").append_decimal(systemError).append(")");
}

void write(TraceLine& text) {
    text.append("\n");
    platform::debug_text(text.c_str());
}

}  // namespace

OpenTrace::OpenTrace(std::string_view firstStep, std::string_view password) noexcept
    : password_(password), step_(firstStep), startMs_(platform::monotonic_ms()) {}

void OpenTrace::heard(std::string_view data) noexcept {
    tailLength_ = append_keeping_newest(tail_, tailLength_, data, password_);
}

void OpenTrace::note(std::string_view what, int systemError) const noexcept {
    TraceLine text;
    append_headline(text, "mpdll: open at ", step_, startMs_, what, systemError);
    text.append("; going on");
    write(text);
}

void OpenTrace::step(std::string_view name) noexcept {
    step_ = name;
    session_log::open_step(name);
}

std::int32_t OpenTrace::fail(std::string_view why, int systemError) const noexcept {
    std::array<char, kKept> shown = tail_;
    mask_secret(std::span<char>(shown.data(), tailLength_), password_);
    const std::string_view tail(shown.data(), tailLength_);
    TraceLine text;
    append_headline(text, "mpdll: open failed at ", step_, startMs_, why, systemError);
    text.append("; last heard \"");
    append_escaped(text, tail);
    text.append("\"");
    write(text);
    FixedText<400> heard;
    append_escaped(heard, tail);
    session_log::open_failed(step_, why, heard.view());
    return MPDLL_E_OPEN;
}

std::int32_t CallTrace::fail(std::string_view step, std::int32_t status, std::string_view why,
                             int systemError) const noexcept {
    TraceLine text;
    text.append("mpdll: ").append(export_);
    append_headline(text, " failed at ", step, startMs_, why, systemError);
    write(text);
    return status;
}

void trace_close(const DevContext& dev, std::string_view by, std::string_view transport) noexcept {
    TraceLine text;
    text.append("mpdll: ").append(by).append(" closed the ").append(transport).append(" connection ");
    text.append_decimal(ms_since(session_log::open_started_ms(dev))).append(" ms after its open began");
    write(text);
}

}  // namespace mpdll
