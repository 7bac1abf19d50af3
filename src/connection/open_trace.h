// Why an open failed, said in the library's debug text: the step that
// failed, what the board said last (control bytes escaped, the password
// never) and the time spent since the open began.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll {

class OpenTrace {
  public:
    // The password is masked wherever it shows in what was heard.
    explicit OpenTrace(std::string_view password) noexcept;

    // The step now running: "connect", "negotiation", "user", "password",
    // "first command", "serial port".
    void step(std::string_view name) noexcept;
    // Keeps the newest bytes the board said.
    void heard(std::string_view data) noexcept;
    // Writes "mpdll: open failed at STEP after N ms: WHY; last heard "...""
    // to the debug text and returns MPDLL_E_OPEN.
    std::int32_t fail(std::string_view why) const noexcept;

  private:
    static constexpr std::size_t kKept = 96;
    std::string_view password_;
    std::string_view step_ = "connect";
    std::uint64_t startMs_;
    std::array<char, kKept> tail_{};
    std::size_t tailLength_ = 0;
};

}  // namespace mpdll
