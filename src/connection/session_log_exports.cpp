// The extension exports of the session log: the handler, a record's last
// open failure, and the library's version.
#include "connection/session_log.h"
#include "text/bounded_text.h"

#ifndef MPDLL_VERSION_TEXT
#define MPDLL_VERSION_TEXT "0.0.0"
#endif

namespace {
void copy_out(char* out, std::int32_t size, std::string_view text) {
    if (out && size > 0) mpdll::copy_text(std::span<char>(out, static_cast<std::size_t>(size)), text);
}
}  // namespace

MPDLL_API int32_t MPDLL_CALL MpdllSetLogHandler(MpdllLogHandler handler, void* context) MPDLL_NOEXCEPT {
    mpdll::session_log::set_handler(handler, context);
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL MpdllOpenFailure(const DevContext* dev, char* step, int32_t stepSize, char* reason,
                                             int32_t reasonSize, char* lastHeard,
                                             int32_t lastHeardSize) MPDLL_NOEXCEPT {
    if (!dev) return MPDLL_E_ARGUMENT;
    mpdll::session_log::Failure failure{};
    const bool kept = mpdll::session_log::failure_of(*dev, failure);
    copy_out(step, stepSize, mpdll::text_within(failure.step, sizeof failure.step));
    copy_out(reason, reasonSize, mpdll::text_within(failure.reason, sizeof failure.reason));
    copy_out(lastHeard, lastHeardSize, mpdll::text_within(failure.heard, sizeof failure.heard));
    return kept ? 1 : 0;
}

MPDLL_API const char* MPDLL_CALL MpdllLibraryVersion(void) MPDLL_NOEXCEPT { return MPDLL_VERSION_TEXT; }
