// Per-command times of one benchmark run and the figures the report shows:
// median, 99th percentile and commands per second, in wall-clock time, plus
// the CPU time the calling thread spent per command.
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

namespace benchmark {
class State;
}

namespace mpbench {

using Clock = std::chrono::steady_clock;

// CPU time of the calling thread, in microseconds.
double thread_cpu_us();

class LatencySamples {
  public:
    void reserve(std::size_t count) { micros_.reserve(count); }
    void add(Clock::duration elapsed, double cpuMicros);
    // Takes in the samples of another run (another thread's share of one).
    void absorb(const LatencySamples& other);
    std::size_t count() const { return micros_.size(); }
    double percentile_us(double fraction) const;
    double median_us() const { return percentile_us(0.5); }
    double commands_per_second() const;
    double cpu_us_per_command() const;
    // Puts <prefix>p50_us, p99_us, cmd_per_s, cpu_us and samples on the
    // benchmark's counters.
    void publish(benchmark::State& state, const char* prefix = "") const;

  private:
    std::vector<double> micros_;
    double totalMicros_ = 0;
    double cpuMicros_ = 0;
};

// Runs one command exchange and records its wall-clock and CPU time.
template <class Exchange>
auto timed(LatencySamples& samples, Exchange&& exchange) {
    const double cpu0 = thread_cpu_us();
    const auto start = Clock::now();
    auto result = exchange();
    const auto elapsed = Clock::now() - start;
    samples.add(elapsed, thread_cpu_us() - cpu0);
    return result;
}

}  // namespace mpbench
