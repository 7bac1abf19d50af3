// Time since construction, for the time bounds tests put on a call.
#pragma once

#include <chrono>

namespace mpdll::test {

// The library counts whole milliseconds, so a limit it waits out may end up
// to one of them before a Stopwatch, started first, says it should.
constexpr double kLibraryTickSeconds = 0.001;
// What scheduling on a loaded test machine may add to a limit the library
// waits out.
constexpr double kSchedulingSlackSeconds = 0.5;

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
