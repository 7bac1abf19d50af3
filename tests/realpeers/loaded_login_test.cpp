// Logging in to a real telnet server and login program while busy processes
// load every core: a board's slow CPU is where a login line with a stray CR
// turns into an empty password. Every open with the right password must
// work, every open with a wrong one must fail.
#include <chrono>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "peer_process.h"
#include "support/busy_cores.h"
#include "support/loopback_port.h"

namespace mpdll::realpeers {
namespace {

// The sanitizer build checks the same path for memory faults with fewer rounds.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kGoodOpens = 20;
#else
constexpr int kGoodOpens = 100;
#endif
constexpr int kWrongOpens = 10;

DevContext telnet_record(int port, const char* password) {
    DevContext dev;
    std::memset(&dev, 0, sizeof dev);
    dev.mode = MPDLL_MODE_TELNET;
    const std::string address = "127.0.0.1:" + std::to_string(port);
    std::memcpy(dev.ipText, address.c_str(), address.size());
    std::memcpy(dev.prompt, "# ", 2);
    std::memcpy(dev.userName, "root", 4);
    std::memcpy(dev.password, password, std::strlen(password));
    return dev;
}

TEST(LoadedLogin, EveryOpenWorksAndEveryWrongPasswordFailsWhileTheCoresAreBusy) {
    if (!have_program("busybox") || !have_program("python3")) GTEST_SKIP() << "busybox or python3 missing";
    const int port = test::unused_loopback_port();
    const auto telnetd = start_telnetd(port, {"MPDLL_LOGIN_FAIL_DELAY=0.3"});
    ASSERT_TRUE(wait_for_listener(port, 5000)) << "telnetd did not start";
    const test::BusyCores load;

    int failedOpens = 0, slowestMs = 0;
    for (int i = 0; i < kGoodOpens; ++i) {
        DevContext dev = telnet_record(port, "root");
        const auto start = std::chrono::steady_clock::now();
        const std::int32_t status = OpenDev(&dev);
        const auto took = std::chrono::steady_clock::now() - start;
        slowestMs =
            std::max(slowestMs, static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
        if (status != MPDLL_OK) {
            ++failedOpens;
            continue;
        }
        char answer[256] = {};
        EXPECT_EQ(SendCommand(&dev, "echo logged-in", answer, sizeof answer, 0, 0), MPDLL_OK);
        EXPECT_NE(std::strstr(answer, "logged-in"), nullptr) << "open " << i << " has no shell: " << answer;
        CloseDev(&dev, MPDLL_MODE_TELNET);
    }
    EXPECT_EQ(failedOpens, 0) << "of " << kGoodOpens << " opens with the right password; slowest " << slowestMs
                              << " ms";

    for (int i = 0; i < kWrongOpens; ++i) {
        DevContext dev = telnet_record(port, "wrong");
        EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN) << "wrong password, open " << i;
        EXPECT_EQ(dev.openFlags & MPDLL_MODE_TELNET, 0u);
    }
}

}  // namespace
}  // namespace mpdll::realpeers
