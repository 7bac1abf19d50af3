// The query, chip, filter-report, flash and register functions with the
// board's answer as the fuzz input, over telnet, serial and UDP through the
// fake board (any chunking, with or without echo). Outputs are blocks of
// exactly the size the header promises them, so ASan sees a write past one;
// a function reports 0 or -30004 only, a text output is terminated whenever
// it was written, and FlashGet and RegisterGet leave their output alone on
// failure. Run with -timeout=3: an answer whose prompt arrives must never
// hold a call for the 5-second window.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"
#include "support/scripted_board.h"

namespace {

using mpdll::fuzzing::ExactBuffer;

constexpr std::size_t kValueSize = 16384;  // value outputs: room for a whole response
constexpr std::size_t kAddressSize = 18;   // filter report addresses

bool untouched(ExactBuffer& block) {
    for (std::size_t i = 0; i < block.length; ++i) {
        if (block.data()[i] != '\x5a') return false;
    }
    return true;
}

void check_text_output(ExactBuffer& block, std::int32_t status) {
    FUZZ_CHECK(untouched(block) || block.terminated());
    if (status != MPDLL_OK) {
        FUZZ_CHECK(untouched(block));
    }
}

void check_last_exchange(DevContext* dev) {
    ExactBuffer sent(2048), received(kValueSize);
    FUZZ_CHECK(GetBuffer(dev, sent.data(), 2048, received.data(), static_cast<std::int32_t>(kValueSize)) == 0);
    FUZZ_CHECK(sent.terminated() && received.terminated());
}

std::string c_text(std::string text) { return text.substr(0, text.find('\0')); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static mpdll::test::ScriptedBoard board;
    FuzzedDataProvider input(data, size);
    const int operation = input.ConsumeIntegralInRange(0, 7);
    static constexpr int kModes[] = {MPDLL_MODE_UDP, MPDLL_MODE_TELNET, MPDLL_MODE_SERIAL};
    const int mode = kModes[input.ConsumeIntegralInRange(0, 2)];
    board.forget();
    board.set_echo(input.ConsumeBool());
    board.set_chunk_size(input.ConsumeBool() ? 16384 : input.ConsumeIntegralInRange(1, 64));
    const std::string paramName = c_text(input.ConsumeRandomLengthString(24));
    std::string firstAnswer = input.ConsumeRandomLengthString(17000);
    board.answer_in_turn({std::move(firstAnswer), input.ConsumeRemainingBytesAsString()});

    auto dev = std::make_unique<DevContext>();
    board.connect(*dev, mode);
    std::memcpy(dev->ifName, "wlan0", 5);

    std::int32_t status = 0;
    switch (operation) {
        case 0:
        case 1: {
            ExactBuffer value(kValueSize);
            status = operation == 0 ? GetHwSupport(dev.get(), value.data()) : GetChipVersion(dev.get(), value.data());
            check_text_output(value, status);
            break;
        }
        case 2: {
            std::int32_t counters[4] = {};
            status = mp_query(dev.get(), &counters[0], &counters[1], &counters[2], &counters[3]);
            break;
        }
        case 3: {
            std::int32_t tssi = 0;
            status = mp_tssi(dev.get(), &tssi);
            break;
        }
        case 4: {
            ExactBuffer da(kAddressSize), sa(kAddressSize), bssid(kAddressSize);
            status = mp_arx_filter_print(dev.get(), da.data(), sa.data(), bssid.data());
            for (ExactBuffer* address : {&da, &sa, &bssid}) {
                FUZZ_CHECK(untouched(*address) || address->terminated());
            }
            break;
        }
        case 5: {
            ExactBuffer value(kValueSize);
            status = FlashGet(dev.get(), paramName.c_str(), value.data());
            check_text_output(value, status);
            break;
        }
        case 6: {
            const std::uint32_t before = 0x5a5a5a5a;
            std::uint32_t registerValue = before;
            status = RegisterGet(dev.get(), 0, 36, &registerValue);
            if (status != MPDLL_OK) {
                FUZZ_CHECK(registerValue == before);
            }
            break;
        }
        default: {
            // mp_ther waits 1000 ms after sending on telnet and serial; over
            // UDP it only looks for "ok".
            std::int32_t thermal = 0;
            dev->mode = MPDLL_MODE_UDP;
            status = mp_ther(dev.get(), &thermal);
            break;
        }
    }
    FUZZ_CHECK(status == MPDLL_OK || status == MPDLL_E_REPLY);
    check_last_exchange(dev.get());
    return 0;
}
