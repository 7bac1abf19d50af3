// Playing one recorded answer at its recorded pace: each write at its
// recorded delay after now, scaled by speed (0: no delays); false when the
// board stops or write fails.
#pragma once

#include <chrono>

#include "replay_script.h"
#include "stop_signal.h"

namespace mpboard {

template <typename Write>
bool play_answer(const ReplayAnswer& answer, double speed, const StopSignal& stop, Write write) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    for (const ReplayOutput& output : answer) {
        if (speed > 0) {
            const auto due =
                start + std::chrono::microseconds(static_cast<long long>(output.after_ms * 1000.0 / speed));
            const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count();
            if (wait > 0 && !stop.sleep_ms(static_cast<int>(wait))) return false;
        }
        if (!write(output.bytes)) return false;
    }
    return true;
}

}  // namespace mpboard
