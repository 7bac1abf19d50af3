// The time window of a telnet or UDP receive: whole seconds on the monotonic
// clock, open while at most five have passed, so it closes 5 to 6 seconds
// after it starts.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace mpdll {

inline constexpr int kPollIntervalMs = 10;

class ReceiveWindow {
  public:
    ReceiveWindow() noexcept : startSecond_(platform::monotonic_ms() / 1000) {}
    bool open() const noexcept { return platform::monotonic_ms() / 1000 - startSecond_ <= kSeconds; }

  private:
    static constexpr std::uint64_t kSeconds = 5;
    std::uint64_t startSecond_;
};

}  // namespace mpdll
