// The platform's sleep: a signal that interrupts it does not cut the wait
// short (the thermal meter's settling time and the caller's wait depend on it).
#include <gtest/gtest.h>

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "platform/platform.h"

namespace {

std::atomic<int> signalsTaken{0};

void count_signal(int) { ++signalsTaken; }

TEST(PlatformSleep, SignalsDoNotShortenTheSleep) {
    struct sigaction action {};
    action.sa_handler = count_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = 0;  // no restart: the interrupted call sees EINTR
    struct sigaction previous {};
    ASSERT_EQ(sigaction(SIGUSR1, &action, &previous), 0);

    constexpr int kSleepMs = 150;
    const pthread_t sleeper = pthread_self();
    std::atomic<bool> asleep{false}, done{false};
    std::thread interrupter([&] {
        while (!asleep) std::this_thread::yield();
        for (int i = 0; i < 5 && !done; ++i) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!done) pthread_kill(sleeper, SIGUSR1);
        }
    });
    const std::uint64_t start = mpdll::platform::monotonic_ms();
    asleep = true;
    mpdll::platform::sleep_ms(kSleepMs);
    const std::uint64_t slept = mpdll::platform::monotonic_ms() - start;
    done = true;
    interrupter.join();
    sigaction(SIGUSR1, &previous, nullptr);

    ASSERT_GT(signalsTaken.load(), 0) << "the sleep was never interrupted";
    EXPECT_GE(slept, static_cast<std::uint64_t>(kSleepMs));
}

}  // namespace
