// Fault injection against the simulated board: each case sets one fault
// switch, runs one operation over one transport and checks the status and
// the time it took against the limits the library states (a telnet receive
// ends 5-6 s after it starts, a serial receive after 5000 ms, a UDP wait
// after about 5 s). Run under ASan+UBSan in the sanitizer build, the same
// cases also show that no fault makes the library touch memory it must not.
#include <cerrno>
#include <cstring>
#include <functional>
#include <string>

#include <gtest/gtest.h>

#include "figures.h"
#include "mpdll/mpdll.h"
#include "support/board_under_test.h"
#include "support/stopwatch.h"

namespace mpdll::reliability {
namespace {

using namespace test;  // the board under test, its transports and the stopwatch

constexpr double kBeforeWindow = 5.0;  // below any receive window: the answer ended the exchange
constexpr double kWindowStart = 5.0;   // every receive window lasts at least this long
constexpr double kTelnetWindowEnd = 6.5;
constexpr double kSerialWindowEnd = 6.0;
constexpr double kUdpWindowEnd = 6.5;
constexpr const char* kPowerName = "HW_TX_POWER";
constexpr const char* kPowerValue = "0a0b0c";

enum class Operation {
    flash_get,    // FlashGet of kPowerName, which the board holds as kPowerValue
    counters,     // mp_query
    setting,      // mp_start
    raw_command,  // SendCommand of "flash get" with a 16384-byte response and a canary behind it
};

enum class Phase { command, open };

struct FaultCase {
    const char* name;
    Transport transport;
    Phase phase;
    std::function<void(mpboard::Options&)> fault;
    Operation operation;
    std::int32_t status;
    double fromSeconds;      // the call takes at least this long (a window that must be waited out)
    double toSeconds;        // and at most this long
    bool stopBoard = false;  // the board goes away after the open ("peer closes")
    bool thenWorks = false;  // an open case: afterwards a command gets its answer
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.name; }

struct Outcome {
    std::int32_t status = 0;
    double seconds = 0;
    std::string value;
};

Outcome run_operation(DevContext* dev, Operation operation) {
    Outcome outcome;
    const Stopwatch clock;
    switch (operation) {
        case Operation::flash_get: {
            char value[16384];
            std::memset(value, 0, sizeof value);
            outcome.status = FlashGet(dev, kPowerName, value);
            outcome.value = value;
            break;
        }
        case Operation::counters: {
            std::int32_t txOk = -1, txFail = -1, rxOk = -1, crc = -1;
            outcome.status = mp_query(dev, &txOk, &txFail, &rxOk, &crc);
            outcome.value = std::to_string(txOk) + "," + std::to_string(txFail) + "," + std::to_string(rxOk) + "," +
                            std::to_string(crc);
            break;
        }
        case Operation::setting:
            outcome.status = mp_start(dev);
            break;
        case Operation::raw_command: {
            constexpr std::size_t kResponse = 16384;
            std::string area(kResponse + 64, '\x5a');
            outcome.status = SendCommand(dev, (std::string("flash get ") + kPowerName).c_str(), area.data(),
                                         static_cast<std::int32_t>(kResponse), 0, 0);
            EXPECT_EQ(area.substr(kResponse), std::string(64, '\x5a')) << "written past the response buffer";
            EXPECT_NE(std::memchr(area.data(), 0, kResponse), nullptr) << "response not terminated";
            outcome.value = area.c_str();
            break;
        }
    }
    outcome.seconds = clock.seconds();
    return outcome;
}

class FaultCaseTest : public ::testing::TestWithParam<FaultCase> {};

TEST_P(FaultCaseTest, ReportsTheRightStatusWithinItsTimeBound) {
    const FaultCase& c = GetParam();
    // Open faults are there from the start; command faults are switched on
    // once the board is open and in test mode (other options apply at once).
    mpboard::Options faulty = quick_board();
    c.fault(faulty);
    mpboard::Options options = faulty;
    if (c.phase == Phase::command) options.faults = mpboard::Faults{};
    BoardUnderTest board(c.transport, options);
    board.board().set_flash_value(kPowerName, kPowerValue);
    auto dev = board.record();

    Outcome outcome;
    if (c.phase == Phase::open) {
        const Stopwatch clock;
        outcome.status = OpenDev(dev.get());
        outcome.seconds = clock.seconds();
        if (c.thenWorks) {
            const Outcome after = run_operation(dev.get(), Operation::flash_get);
            EXPECT_EQ(after.status, MPDLL_OK);
            EXPECT_EQ(after.value, kPowerValue);
        }
    } else {
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
        ASSERT_EQ(mp_start(dev.get()), MPDLL_OK) << "the board's test mode";
        board.board().set_faults(faulty.faults);
        if (c.stopBoard) board.board().stop();
        outcome = run_operation(dev.get(), c.operation);
    }
    const double earliest = c.fromSeconds - kLibraryTickSeconds;
    const bool survived = outcome.status == c.status && outcome.seconds >= earliest && outcome.seconds <= c.toSeconds;
    record_figure("faults", std::string(transport_name(c.transport)) + "\t" + c.name + "\t" +
                                std::to_string(outcome.status) + "\t" + std::to_string(c.status) + "\t" +
                                std::to_string(outcome.seconds) + "\t" + (survived ? "ok" : "FAILED"));

    EXPECT_EQ(outcome.status, c.status) << "value: " << outcome.value;
    EXPECT_GE(outcome.seconds, earliest);
    EXPECT_LE(outcome.seconds, c.toSeconds);
    if (c.operation == Operation::flash_get && c.status == MPDLL_OK) {
        EXPECT_EQ(outcome.value, kPowerValue);
    }
    if (c.phase == Phase::command && c.operation == Operation::counters && c.status == MPDLL_OK) {
        EXPECT_EQ(outcome.value, "0,0,0,0");
    }
    CloseDev(dev.get(), board.close_mask());
}

// A board that echoes nothing, asked for a short value: the answer is
// shorter than the command line plus the prompt. The value must come back
// right, or the call must fail; a success must never carry the prompt in
// the value.
TEST(FaultNoEcho, AShortAnswerNeverGivesAWrongValueAsSuccess) {
    for (const Transport transport : {Transport::telnet, Transport::serial}) {
        SCOPED_TRACE(transport_name(transport));
        BoardUnderTest board(transport);
        auto dev = board.record();
        ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
        mpboard::Faults silent;
        silent.no_echo = true;
        board.board().set_faults(silent);
        char version[16384] = {};
        const std::int32_t status = GetChipVersion(dev.get(), version);
        EXPECT_TRUE(status != MPDLL_OK || std::string(version) == "B")
            << "status " << status << " with the chip version \"" << version << "\"";
        record_figure("faults", std::string(transport_name(transport)) + "\tno_echo_short_answer\t" +
                                    std::to_string(status) + "\t0\t0\t" +
                                    (status != MPDLL_OK || std::string(version) == "B" ? "ok" : "FAILED"));
        CloseDev(dev.get(), board.close_mask());
    }
}

using Faults = mpboard::Faults;
template <typename Edit>
std::function<void(mpboard::Options&)> fault(Edit edit) {
    return [edit](mpboard::Options& options) { edit(options.faults); };
}

const auto kNoPrompt = fault([](Faults& f) { f.no_prompt = true; });
const auto kOneByteChunks = fault([](Faults& f) {
    f.chunk_size = 1;
    f.chunk_delay_ms = 10;
});
const auto kSplitPrompt = fault([](Faults& f) { f.split_prompt = true; });
const auto kFlood = fault([](Faults& f) { f.flood_bytes = 1 << 20; });
const auto kGarbage = fault([](Faults& f) { f.garbage = true; });
const auto kGarbageOneWrite = [](mpboard::Options& options) {
    options.faults.garbage = true;
    options.single_write = true;
};
const auto kNoEcho = fault([](Faults& f) { f.no_echo = true; });
const auto kResetMidAnswer = fault([](Faults& f) { f.reset_after_bytes = 30; });
const auto kNothing = fault([](Faults&) {});
const auto kUdpDrop = fault([](Faults& f) { f.udp_drop = true; });
const auto kUpperCaseOk = fault([](Faults& f) { f.upper_case_ok = true; });
const auto kRefuseLogin = fault([](Faults& f) { f.refuse_login = true; });
const auto kEndlessNegotiation = fault([](Faults& f) { f.endless_negotiation = true; });
const auto kNoLoginPrompt = fault([](Faults& f) { f.no_login_prompt = true; });

constexpr auto T = Transport::telnet;
constexpr auto S = Transport::serial;
constexpr auto U = Transport::udp;
constexpr auto Cmd = Phase::command;

INSTANTIATE_TEST_SUITE_P(
    Telnet, FaultCaseTest,
    ::testing::Values(
        // The board resets the connection after 30 bytes of its answer: the
        // socket error comes back as it is, at once.
        FaultCase{"reset_mid_answer", T, Cmd, kResetMidAnswer, Operation::flash_get, ECONNRESET, 0, kBeforeWindow},
        // The board is gone after the open: nothing more arrives, the
        // receive ends with its window and there is no value to read.
        FaultCase{"peer_closes", T, Cmd, kNothing, Operation::flash_get, MPDLL_E_REPLY, 0, kTelnetWindowEnd, true},
        // No prompt: the window ends the receive and what came is still used.
        FaultCase{"no_prompt", T, Cmd, kNoPrompt, Operation::flash_get, MPDLL_OK, kWindowStart, kTelnetWindowEnd},
        FaultCase{"one_byte_chunks", T, Cmd, kOneByteChunks, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow},
        FaultCase{"split_prompt", T, Cmd, kSplitPrompt, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow},
        // 1 MiB before the value: the response stays within its 16384 bytes,
        // the prompt still ends the exchange, the value is beyond the buffer.
        FaultCase{"flood_1mib", T, Cmd, kFlood, Operation::raw_command, MPDLL_OK, 0, kBeforeWindow},
        FaultCase{"flood_1mib_value_lost", T, Cmd, kFlood, Operation::flash_get, MPDLL_E_REPLY, 0, kBeforeWindow},
        // Line noise with NUL bytes before the prompt: the prompt still ends
        // the exchange, also when noise and prompt come in one segment.
        FaultCase{"garbage_and_nul", T, Cmd, kGarbage, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow},
        FaultCase{"garbage_and_nul_one_segment", T, Cmd, kGarbageOneWrite, Operation::flash_get, MPDLL_OK, 0,
                  kBeforeWindow},
        // Without the echo the cut by position takes the front of the answer:
        // the counters no longer have their form, and that is reported.
        FaultCase{"no_echo", T, Cmd, kNoEcho, Operation::counters, MPDLL_OK, 0, kBeforeWindow},
        FaultCase{"counters", T, Cmd, kNothing, Operation::counters, MPDLL_OK, 0, kBeforeWindow},
        FaultCase{"refused_login", T, Phase::open, kRefuseLogin, Operation::setting, MPDLL_E_OPEN, 0, kBeforeWindow},
        // The login program shows nothing until a line arrives, and no line
        // comes: after a silent window the board counts as one without login.
        FaultCase{"login_prompt_only_after_a_line", T, Phase::open, kNoLoginPrompt, Operation::setting, MPDLL_OK,
                  kWindowStart, kTelnetWindowEnd},
        // Negotiation that never ends: the open gives up after 10 s (the last
        // read and a busy machine's scheduling may add to that).
        FaultCase{"endless_negotiation", T, Phase::open, kEndlessNegotiation, Operation::setting, MPDLL_E_OPEN, 10.0,
                  12.0},
        FaultCase{"good_login", T, Phase::open, kNothing, Operation::setting, MPDLL_OK, 0, kBeforeWindow, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Serial, FaultCaseTest,
    ::testing::Values(FaultCase{"no_prompt", S, Cmd, kNoPrompt, Operation::flash_get, MPDLL_E_SERIAL_TIMEOUT,
                                kWindowStart, kSerialWindowEnd},
                      FaultCase{"console_goes_away", S, Cmd, kNothing, Operation::flash_get, MPDLL_E_TRANSPORT, 0,
                                kSerialWindowEnd, true},
                      FaultCase{"one_byte_chunks", S, Cmd, kOneByteChunks, Operation::flash_get, MPDLL_OK, 0,
                                kBeforeWindow},
                      FaultCase{"split_prompt", S, Cmd, kSplitPrompt, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow},
                      FaultCase{"flood_1mib", S, Cmd, kFlood, Operation::raw_command, MPDLL_OK, 0, kBeforeWindow},
                      FaultCase{"garbage_and_nul", S, Cmd, kGarbage, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow},
                      FaultCase{"no_echo", S, Cmd, kNoEcho, Operation::counters, MPDLL_OK, 0, kBeforeWindow},
                      FaultCase{"counters", S, Cmd, kNothing, Operation::counters, MPDLL_OK, 0, kBeforeWindow}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Udp, FaultCaseTest,
    ::testing::Values(
        // No reply within the window: an empty reply, which has no "ok".
        FaultCase{"reply_dropped", U, Cmd, kUdpDrop, Operation::flash_get, MPDLL_E_REPLY, kWindowStart, kUdpWindowEnd},
        FaultCase{"board_gone", U, Cmd, kNothing, Operation::setting, MPDLL_E_REPLY, kWindowStart, kUdpWindowEnd, true},
        FaultCase{"upper_case_ok", U, Cmd, kUpperCaseOk, Operation::setting, MPDLL_E_REPLY, 0, kBeforeWindow},
        FaultCase{"two_step_read", U, Cmd, kNothing, Operation::flash_get, MPDLL_OK, 0, kBeforeWindow}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::reliability
