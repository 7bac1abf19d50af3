// A stop flag that every I/O thread can wait on: a pipe whose read end turns
// readable for good once stop is requested, so it joins any poll().
#pragma once

#include <atomic>

namespace mpboard {

class StopSignal {
  public:
    StopSignal();
    ~StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void request();
    bool requested() const { return requested_.load(); }
    int fd() const { return pipe_[0]; }
    // Sleeps up to `ms`; false when stop was requested meanwhile.
    bool sleep_ms(int ms) const;

  private:
    int pipe_[2] = {-1, -1};
    std::atomic<bool> requested_{false};
};

}  // namespace mpboard
