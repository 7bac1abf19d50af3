// Milliseconds since a start, for the durations in the results.
#pragma once

#include <chrono>
#include <cstdint>

namespace mpctl {

class Stopwatch {
  public:
    std::int64_t elapsed_ms() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace mpctl
