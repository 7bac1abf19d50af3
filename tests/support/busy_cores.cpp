// Busy processes that load every core while a test runs.
#include "support/busy_cores.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

namespace mpdll::test {

BusyCores::BusyCores() {
    const unsigned cores = std::max(2u, std::thread::hardware_concurrency());
    for (unsigned i = 0; i < cores; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            volatile unsigned long spin = 0;
            for (;;) spin = spin + 1;
        }
        if (child > 0) children_.push_back(child);
    }
}

BusyCores::~BusyCores() {
    for (const pid_t child : children_) ::kill(child, SIGKILL);
    for (const pid_t child : children_) ::waitpid(child, nullptr, 0);
}

}  // namespace mpdll::test
