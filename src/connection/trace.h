// The connections' lines in the library's debug text (the debugger output on
// Windows, standard error on POSIX while MPDLL_TRACE is set): why an open
// failed or what it went on without, every connection closed, and why an
// exchange failed. Each line names the export or the open's step, the
// reason with the operating system's error number where there is one, and
// the time since the call or the open began. The password never shows, not
// even a piece of it cut off at the front. The open's steps and failure go
// to the session log (session_log.h) from here too.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "connection/session_log.h"
#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "text/bounded_text.h"

namespace mpdll {

// One open, whatever its transport.
class OpenTrace {
  public:
    // firstStep: the step the open begins with, already announced to the
    // session log when the open began. The password is masked wherever it
    // shows in what was heard.
    OpenTrace(std::string_view firstStep, std::string_view password) noexcept;

    // The step now running: "connect", "negotiation", "user", "password",
    // "first command", "serial port", "line settings", "UDP socket",
    // "named objects".
    void step(std::string_view name) noexcept;
    // Keeps the newest bytes the board said.
    void heard(std::string_view data) noexcept;
    // Writes the line
    //   mpdll: open failed at STEP after N ms: WHY (system error E); last heard "..."
    // to the debug text (the error part only for a systemError other than
    // 0) and returns MPDLL_E_OPEN.
    std::int32_t fail(std::string_view why, int systemError = 0) const noexcept;
    // Writes the line
    //   mpdll: open at STEP after N ms: WHAT (system error E); going on
    // for a setting that did not take where the open goes on without it.
    void note(std::string_view what, int systemError = 0) const noexcept;

  private:
    static constexpr std::size_t kKept = 96;
    std::string_view password_;
    std::string_view step_;
    std::uint64_t startMs_;
    std::array<char, kKept> tail_{};
    std::size_t tailLength_ = 0;
};

// One call of an export that exchanges with the board (SendCommand,
// TelnetSnd, TelnetRcv, SerialSnd, SerialRcv). Every failed status such a
// call returns comes from the step that failed, through fail().
class CallTrace {
  public:
    explicit CallTrace(std::string_view exportName) noexcept
        : export_(exportName), startMs_(platform::monotonic_ms()) {}
    // The call fails at step ("arguments", "mode", "send", "receive") for
    // why: writes the line
    //   mpdll: EXPORT failed at STEP after N ms: WHY (system error E)
    // (the error part only for a systemError other than 0) and returns
    // status.
    std::int32_t fail(std::string_view step, std::int32_t status, std::string_view why,
                      int systemError = 0) const noexcept;

  private:
    std::string_view export_;
    std::uint64_t startMs_;
};

// Runs the body of an exchange export with its trace, inside the export's
// call in the session log.
template <typename Body>
std::int32_t traced_call(const DevContext* dev, const char* name, Body&& body) noexcept {
    CallTrace trace(name);
    return session_log::logged_call(dev, name, [&] { return body(trace); });
}

// The record's connection of transport was closed by the export `by`
// (CloseDev, or OpenDev before it opens that mode again):
//   mpdll: BY closed the TRANSPORT connection N ms after its open began
void trace_close(const DevContext& dev, std::string_view by, std::string_view transport) noexcept;

}  // namespace mpdll
