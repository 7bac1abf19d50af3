// Telnet peers that negotiate in hostile ways: options whose number is 0
// (a NUL byte) next to others, a sequence cut across two writes, and a peer
// that negotiates for ever. Every option is answered once, and the open
// never takes longer than its bound.
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/loopback_peer.h"
#include "support/stopwatch.h"

namespace {

using connection_test::PeerLink;
using connection_test::ScriptedPeer;
using mpdll::test::Stopwatch;

std::string bytes(std::initializer_list<int> values) {
    std::string text;
    for (int v : values) text.push_back(static_cast<char>(v));
    return text;
}

constexpr int IAC = 255, DO = 253, WONT = 252, WILL = 251;

DevContext telnet_record(const std::string& address) {
    DevContext dev;
    std::memset(&dev, 0, sizeof dev);
    dev.mode = MPDLL_MODE_TELNET;
    std::memcpy(dev.ipText, address.data(), address.size());
    std::memcpy(dev.prompt, "# ", 2);
    return dev;
}

struct OptionCase {
    const char* name;
    std::vector<std::string> writes;  // the board's opening, write by write
    std::string reply;                // what the library must answer
};

TEST(HostileOptions, EveryOptionIsAnsweredOnceWhateverItsBytesOrCuts) {
    const std::vector<OptionCase> cases = {
        // DO BINARY (option 0, a NUL byte) before WILL ECHO: the NUL is an
        // option number, not noise, and ECHO is still answered.
        {"option_zero_then_echo", {bytes({IAC, DO, 0, IAC, WILL, 1})}, bytes({IAC, WONT, 0, IAC, DO, 1})},
        {"sequence_cut_after_the_command", {bytes({IAC, WILL}), bytes({1})}, bytes({IAC, DO, 1})},
        {"sequence_cut_after_the_iac", {bytes({IAC}), bytes({DO, 3})}, bytes({IAC, WILL, 3})},
    };
    for (const OptionCase& c : cases) {
        std::string heard;
        ScriptedPeer peer([&](PeerLink& link) {
            for (const std::string& part : c.writes) {
                link.write(part);
                std::this_thread::sleep_for(std::chrono::milliseconds(50));
            }
            heard = link.read_until(c.reply, 2000);
            link.write("\r\n# ");
            link.sees_close(3000);
        });
        DevContext dev = telnet_record(peer.address());
        EXPECT_EQ(OpenDev(&dev), MPDLL_OK) << c.name;
        CloseDev(&dev, MPDLL_MODE_TELNET);
        peer.join();
        EXPECT_EQ(heard, c.reply) << c.name;
    }
}

// A peer that asks for one option after another and never shows a login
// question or a prompt: the open gives up after 10 s, not 32 rounds later.
TEST(HostileOptions, EndlessNegotiationFailsTheOpenWithinTenSeconds) {
    ScriptedPeer peer([](PeerLink& link) {
        for (int i = 0; i < 120 && !link.sees_close(150); ++i) link.write(bytes({IAC, DO, 24}));
    });
    DevContext dev = telnet_record(peer.address());
    const Stopwatch clock;
    EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN);
    EXPECT_GE(clock.seconds(), 9.5);
    EXPECT_LE(clock.seconds(), 12.0);  // the last read and a busy machine add to the 10 s
    EXPECT_EQ(dev.openFlags & MPDLL_MODE_TELNET, 0u);
}

}  // namespace
