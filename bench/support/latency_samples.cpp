// Order statistics over the per-command times of one benchmark run.
#include "support/latency_samples.h"

#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cmath>
#include <string>

namespace mpbench {

double thread_cpu_us() {
    timespec now{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1e3;
}

void LatencySamples::add(Clock::duration elapsed, double cpuMicros) {
    const double us = std::chrono::duration<double, std::micro>(elapsed).count();
    micros_.push_back(us);
    totalMicros_ += us;
    cpuMicros_ += cpuMicros;
}

void LatencySamples::absorb(const LatencySamples& other) {
    micros_.insert(micros_.end(), other.micros_.begin(), other.micros_.end());
    totalMicros_ += other.totalMicros_;
    cpuMicros_ += other.cpuMicros_;
}

// Nearest-rank percentile.
double LatencySamples::percentile_us(double fraction) const {
    if (micros_.empty()) return 0;
    std::vector<double> sorted = micros_;
    const auto rank = static_cast<std::size_t>(std::ceil(fraction * static_cast<double>(sorted.size())));
    const std::size_t index = rank == 0 ? 0 : std::min(rank - 1, sorted.size() - 1);
    std::nth_element(sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(index), sorted.end());
    return sorted[index];
}

double LatencySamples::commands_per_second() const {
    return totalMicros_ > 0 ? static_cast<double>(micros_.size()) * 1e6 / totalMicros_ : 0;
}

double LatencySamples::cpu_us_per_command() const {
    return micros_.empty() ? 0 : cpuMicros_ / static_cast<double>(micros_.size());
}

void LatencySamples::publish(benchmark::State& state, const char* prefix) const {
    const std::string p(prefix);
    state.counters[p + "p50_us"] = median_us();
    state.counters[p + "p99_us"] = percentile_us(0.99);
    state.counters[p + "cmd_per_s"] = commands_per_second();
    state.counters[p + "cpu_us"] = cpu_us_per_command();
    state.counters[p + "samples"] = static_cast<double>(micros_.size());
}

}  // namespace mpbench
