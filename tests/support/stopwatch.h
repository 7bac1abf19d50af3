// Time since construction, for the time bounds tests put on a call.
#pragma once

#include <chrono>

namespace mpdll::test {

class Stopwatch {
  public:
    double seconds() const { return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count(); }
    long long milliseconds() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_).count();
    }

  private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace mpdll::test
