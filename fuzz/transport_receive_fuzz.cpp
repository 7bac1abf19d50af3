// The telnet and serial receive paths (SendCommand, TelnetRcv, SerialRcv)
// with any byte stream in any chunking and any caller buffer size: the
// buffer is a block of exactly the stated size and must come back
// terminated, the received count never exceeds what the board sent, and
// since the fake board always ends with the prompt, no receive may wait
// out its window (run with -timeout=3).
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "connection/answer/echo_match.h"
#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"
#include "support/scripted_board.h"

namespace {
using mpdll::fuzzing::ExactBuffer;
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static mpdll::test::ScriptedBoard board;
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, 2);
    const int mode = input.ConsumeBool() ? MPDLL_MODE_TELNET : MPDLL_MODE_SERIAL;
    const auto bufferSize = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::int32_t>(1, 64)
                                                : input.ConsumeIntegralInRange<std::int32_t>(1, 20000);
    const std::int32_t keepPrompt = input.ConsumeIntegral<std::int32_t>();
    // Not the quiet wait: it sleeps in 200 ms steps by design.
    const std::int32_t wait = input.ConsumeBool() ? 0 : MPDLL_WAIT_NONE;
    board.forget();
    const bool echo = input.ConsumeBool();
    board.set_echo(echo);
    board.set_chunk_size(input.ConsumeBool() ? 16384 : input.ConsumeIntegralInRange(1, 64));
    const std::string command = [&] {
        std::string line = input.ConsumeRandomLengthString(2100);
        line = line.substr(0, line.find('\0'));
        line.erase(std::remove(line.begin(), line.end(), '\r'), line.end());
        return line.empty() ? std::string("x") : line;
    }();
    const std::string answer = input.ConsumeRemainingBytesAsString();
    // A board that does not echo, whose whole answer reads as the start of
    // the line's own echo, leaves the line's answer waiting for the rest of
    // that echo: the one case where the prompt at the end does not end it.
    std::string heard = answer + mpdll::test::kBoardPrompt;
    heard.erase(std::remove(heard.begin(), heard.end(), '\0'), heard.end());
    const bool echoInProgress = mpdll::echo_at(heard, 0, command).match == mpdll::EchoMatch::partial;
    if (operation == 0 && !echo && echoInProgress) return 0;
    board.answer_in_turn({answer});

    auto dev = std::make_unique<DevContext>();
    board.connect(*dev, mode);
    // Cleared, as SerialRcv expects (it appends to what the buffer holds).
    ExactBuffer buffer(static_cast<std::size_t>(bufferSize), '\0');
    std::int32_t status = 0;
    if (operation == 0) {
        status = SendCommand(dev.get(), command.c_str(), buffer.data(), bufferSize, keepPrompt, wait);
        FUZZ_CHECK(status == MPDLL_OK || status == MPDLL_E_ARGUMENT);
    } else {
        // The raw receive after the line went out.
        const std::int32_t sent =
            mode == MPDLL_MODE_TELNET
                ? TelnetSnd(dev.get(), command.c_str(), static_cast<std::int32_t>(command.size()))
                : SerialSnd(dev.get(), command.c_str(), static_cast<std::int32_t>(command.size()));
        FUZZ_CHECK(sent == MPDLL_OK || sent == MPDLL_E_ARGUMENT);
        if (sent != MPDLL_OK) return 0;
        std::int32_t received = -1;
        status = mode == MPDLL_MODE_TELNET ? TelnetRcv(dev.get(), buffer.data(), bufferSize, &received, wait)
                                           : SerialRcv(dev.get(), buffer.data(), bufferSize, &received, wait);
        FUZZ_CHECK(status == MPDLL_OK);
        // Both receives store the count of bytes this call took from the board.
        // (Over telnet every 0xFF byte of the board's output comes doubled.)
        const std::size_t most = 2 * (command.size() + 2 + answer.size()) + std::strlen(mpdll::test::kBoardPrompt);
        FUZZ_CHECK(received >= 0 && static_cast<std::size_t>(received) <= most);
    }
    FUZZ_CHECK(buffer.terminated());
    return 0;
}
