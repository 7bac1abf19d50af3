// Command exchanges over an open telnet session against a scripted board:
// chunked answers, a missing prompt, a closing peer, stale input, answers
// longer than the buffer, and the cost of the board's small writes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "mpdll/mpdll.h"
#include "platform/platform.h"
#include "support/loopback_peer.h"
#include "support/stopwatch.h"
#include "text/buffer_sizes.h"

namespace connection_test {
namespace {

// Opens a session to a board that asks no login and shows prompt at once,
// then hands the connection to script.
struct Session {
    Session(const char* prompt, std::function<void(PeerLink&)> script)
        : peer([prompt = std::string(prompt), script = std::move(script)](PeerLink& link) {
              link.write(prompt);
              script(link);
          }) {
        std::memset(dev.get(), 0, sizeof(DevContext));
        dev->mode = MPDLL_MODE_TELNET;
        std::strncpy(dev->ipText, peer.address().c_str(), sizeof dev->ipText);
        std::strncpy(dev->prompt, prompt, sizeof dev->prompt - 1);
        opened = OpenDev(dev.get());
    }
    ~Session() { CloseDev(dev.get(), MPDLL_MODE_TELNET); }

    ScriptedPeer peer;
    std::unique_ptr<DevContext> dev = std::make_unique<DevContext>();
    int32_t opened = -1;
};

double thread_cpu_seconds() {
    rusage usage{};
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void pause_ms(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

TEST(TelnetExchange, CollectsAnAnswerInManyChunksWithThePromptSplitAcrossTwo) {
    Session session("board# ", [](PeerLink& link) {
        link.read_until("\r");
        link.write("mp_query\r\n");
        for (const char* part : {"Tx OK:1", "2, Tx Fail:0", ", Rx OK:", "40, CRC error:3\r\n", "boa"}) {
            link.write(part);
            pause_ms(20);
        }
        link.write("rd# ");
        link.sees_close(3000);
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    char response[256];
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(session.dev.get(), "mp_query", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 1.0);
    EXPECT_STREQ(response, "\r\nTx OK:12, Tx Fail:0, Rx OK:40, CRC error:3\r\n");
}

TEST(TelnetExchange, KeepPromptKeepsOnlyWithTheLowByteOne) {
    Session session("# ", [](PeerLink& link) { serve_shell(link, "# ", [](std::string_view) { return "7\r\n"; }); });
    ASSERT_EQ(session.opened, MPDLL_OK);
    struct Case {
        int32_t keepPrompt;
        const char* expected;
    };
    for (const Case& c :
         {Case{1, "\r\n7\r\n# "}, Case{0x101, "\r\n7\r\n# "}, Case{0, "\r\n7\r\n"}, Case{2, "\r\n7\r\n"}}) {
        char response[64];
        EXPECT_EQ(SendCommand(session.dev.get(), "cat", response, sizeof response, c.keepPrompt, 0), MPDLL_OK);
        EXPECT_STREQ(response, c.expected) << "keepPrompt " << c.keepPrompt;
    }
}

TEST(TelnetExchange, BoardWithoutPromptEndsAfterFiveToSixSecondsWithThePartialText) {
    Session session("# ", [](PeerLink& link) {
        link.read_until("\r");
        link.write("reboot\r\nrebooting now\r\n");
        link.sees_close(8000);
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    char response[256];
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(session.dev.get(), "reboot", response, sizeof response, 0, 0), MPDLL_OK);
    const double elapsed = clock.seconds();
    EXPECT_GE(elapsed, 4.9);
    EXPECT_LT(elapsed, 6.5);
    // The echo is cut; the answer did not end with the prompt, so nothing
    // at its end is taken for one: the final CR LF stays.
    EXPECT_STREQ(response, "\r\nrebooting now\r\n");
}

TEST(TelnetExchange, ClosedPeerEndsByTheWindowWithoutSpinning) {
    Session session("# ", [](PeerLink& link) {
        link.read_until("\r");
        link.write("halt\r\npartial");
        link.close();
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    char response[256];
    const mpdll::test::Stopwatch clock;
    const double cpuBefore = thread_cpu_seconds();
    EXPECT_EQ(SendCommand(session.dev.get(), "halt", response, sizeof response, 1, 0), MPDLL_OK);
    EXPECT_GE(clock.seconds(), 4.9);
    EXPECT_LT(thread_cpu_seconds() - cpuBefore, 0.5) << "the receive must not spin on a closed connection";
    EXPECT_STREQ(response, "\r\npartial");
}

TEST(TelnetExchange, StalePromptWaitingBeforeTheCommandIsNotTakenAsItsAnswer) {
    std::atomic<bool> opened{false};
    Session session("# ", [&](PeerLink& link) {
        while (!opened) pause_ms(5);
        link.write("\r\n# ");  // an extra prompt, as a doubled CR produces
        serve_shell(link, "# ",
                    [](std::string_view line) { return std::string(line == "date" ? "Mon\r\n" : "?\r\n"); });
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    opened = true;
    const mpdll::test::Stopwatch waitClock;
    while (mpdll::platform::sockets().pending(session.dev->telnetSocket) < 4 && waitClock.seconds() < 2) pause_ms(5);
    ASSERT_EQ(mpdll::platform::sockets().pending(session.dev->telnetSocket), 4);

    char response[64];
    EXPECT_EQ(SendCommand(session.dev.get(), "date", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_STREQ(response, "\r\nMon\r\n");
}

TEST(TelnetExchange, AnswerLongerThanTheBufferStillEndsAtItsPrompt) {
    const std::string flood(40000, 'x');
    Session session("end> ", [&](PeerLink& link) {
        link.read_until("\r");
        link.write("dump\r\n");
        for (std::size_t at = 0; at < flood.size(); at += 1000) link.write(flood.substr(at, 1000));
        link.write("\r\nen");
        pause_ms(30);
        link.write("d> ");
        link.sees_close(8000);
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    std::vector<char> response(100, 'z');
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(SendCommand(session.dev.get(), "dump", response.data(), 64, 0, 0), MPDLL_OK);
    EXPECT_LT(clock.seconds(), 2.0);
    // The echo is cut first, then the answer is cut to fit: its first 63
    // characters.
    EXPECT_EQ(std::string(response.data()), "\r\n" + std::string(61, 'x'));
    EXPECT_EQ(response[64], 'z') << "nothing written past the caller's size";
}

// The board writes echo, output and prompt as separate small segments with
// Nagle's algorithm on; a delayed ACK on our side would stall each command.
TEST(TelnetExchange, SmallSegmentsOfTheBoardCostNoDelayedAck) {
    Session session("# ", [](PeerLink& link) {
        serve_shell(link, "# ", [](std::string_view) { return std::string("hello\r\n"); });
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    std::vector<double> milliseconds;
    for (int round = 0; round < 9; ++round) {
        char response[64];
        const mpdll::test::Stopwatch clock;
        ASSERT_EQ(SendCommand(session.dev.get(), "echo hello", response, sizeof response, 0, 0), MPDLL_OK);
        milliseconds.push_back(clock.seconds() * 1000);
        ASSERT_STREQ(response, "\r\nhello\r\n");
    }
    std::sort(milliseconds.begin(), milliseconds.end());
    EXPECT_LT(milliseconds[milliseconds.size() / 2], 20.0) << "median round trip in ms";
}

// A board that answers and then hangs up (or stalls past the window): the
// answer never ended with the prompt, so none of its characters is taken
// for one, and the value comes out whole.
TEST(TelnetExchange, AnAnswerThatEndedWithoutThePromptKeepsItsLastCharacters) {
    Session session("# ", [](PeerLink& link) {
        link.read_until("\r");
        link.write("iwpriv wlan0 mp_ther\r\nwlan0     mp_ther:345");
        link.close();
    });
    ASSERT_EQ(session.opened, MPDLL_OK);
    int32_t thermal = -1;
    const mpdll::test::Stopwatch clock;
    EXPECT_EQ(mp_ther(session.dev.get(), &thermal), MPDLL_OK);
    EXPECT_EQ(thermal, 345) << "the last two digits were cut as if they were the prompt";
    EXPECT_LT(clock.seconds(), 1.0 + 6.5);
}

}  // namespace
}  // namespace connection_test
