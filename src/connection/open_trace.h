// Why an open failed, said in the library's debug text: the step that
// failed, the reason with the operating system's error number where there
// is one, what the board said last (control bytes escaped, the password
// never, not even a piece of it cut off at the front) and the time spent
// since the open began. Every transport's open reports through it.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"

namespace mpdll {

class OpenTrace {
  public:
    // The password is masked wherever it shows in what was heard.
    explicit OpenTrace(std::string_view password) noexcept;

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
    void append_headline(TextComposer& text, std::string_view lead, std::string_view what,
                         int systemError) const noexcept;

    static constexpr std::size_t kKept = 96;
    std::string_view password_;
    std::string_view step_ = "connect";
    std::uint64_t startMs_;
    std::array<char, kKept> tail_{};
    std::size_t tailLength_ = 0;
};

}  // namespace mpdll
