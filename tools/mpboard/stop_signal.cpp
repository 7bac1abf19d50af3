// Stop flag on a pipe, for poll()-based threads.
#include "stop_signal.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace mpboard {

StopSignal::StopSignal() {
    if (::pipe2(pipe_, O_CLOEXEC) != 0) throw std::runtime_error("mpboard: cannot create a pipe");
}

StopSignal::~StopSignal() {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void StopSignal::request() {
    if (requested_.exchange(true)) return;
    char byte = 1;
    [[maybe_unused]] auto written = ::write(pipe_[1], &byte, 1);
}

bool StopSignal::sleep_ms(int ms) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    for (;;) {
        if (requested()) return false;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return true;
        pollfd p{pipe_[0], POLLIN, 0};
        ::poll(&p, 1, static_cast<int>(left.count()));
    }
}

}  // namespace mpboard
