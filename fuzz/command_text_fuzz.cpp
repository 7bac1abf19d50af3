// The command text builder (mp_command_s2s, mp_command_c2s, mp_command_d2s)
// with any interface name, tool word and chip model, terminated within their
// 50-byte fields or not, and any template. The output never passes its 2048
// bytes and is always terminated; only chipModel is changed in the record,
// and only by upper-casing; terminated names are put in as stated.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

constexpr std::size_t kCommandSize = 2048;

template <std::size_t N>
void fill_field(FuzzedDataProvider& input, char (&field)[N]) {
    const std::string bytes = input.ConsumeBytesAsString(input.ConsumeIntegralInRange<std::size_t>(0, N));
    std::memset(field, 0, N);
    std::memcpy(field, bytes.data(), bytes.size());
}

template <std::size_t N>
bool terminated(const char (&field)[N]) {
    return std::memchr(field, 0, N) != nullptr;
}

std::string replace_first(std::string text, const std::string& word, const std::string& name) {
    if (name.empty()) {
        return text;
    }
    if (const auto at = text.find(word); at != std::string::npos) {
        text.replace(at, word.size(), name);
    }
    return text;
}

bool in_catalogue(std::uint32_t id) { return id <= 33 || id == 100 || id == 101; }

// The record's bytes after chipModel must never change.
struct RecordTail {
    explicit RecordTail(const DevContext& dev) { std::memcpy(bytes, dev.toolPath, sizeof bytes); }
    bool same(const DevContext& dev) const { return std::memcmp(bytes, dev.toolPath, sizeof bytes) == 0; }
    char bytes[sizeof(DevContext::toolPath) + sizeof(DevContext::ifName) + sizeof(DevContext::prompt)];
};

void check_chip_model(const char (&before)[50], const char (&after)[50]) {
    for (std::size_t i = 0; i < 50; ++i) {
        const char b = before[i];
        const char expected = (b >= 'a' && b <= 'z') ? static_cast<char>(b - 'a' + 'A') : b;
        FUZZ_CHECK(after[i] == b || after[i] == expected);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    auto dev = std::make_unique<DevContext>();
    fill_field(input, dev->chipModel);
    fill_field(input, dev->toolPath);
    fill_field(input, dev->ifName);
    const int which = input.ConsumeIntegralInRange(0, 2);

    char chipBefore[50];
    std::memcpy(chipBefore, dev->chipModel, sizeof chipBefore);
    const RecordTail tail(*dev);
    mpdll::fuzzing::ExactBuffer out(kCommandSize, '\0');

    if (which == 0) {
        std::string text = input.ConsumeRemainingBytesAsString();
        text = text.substr(0, text.find('\0'));
        const std::int32_t status = mp_command_s2s(dev.get(), text.c_str(), out.data());
        FUZZ_CHECK(status == MPDLL_OK || status == MPDLL_E_ARGUMENT);
        FUZZ_CHECK(out.terminated());
        if (status == MPDLL_OK && terminated(dev->ifName) && terminated(dev->toolPath)) {
            const std::string expected =
                replace_first(replace_first(text, "wlan0", dev->ifName), "iwpriv", dev->toolPath);
            if (expected.size() < kCommandSize) {
                FUZZ_CHECK(expected == out.data());
            }
        }
    } else if (which == 1) {
        const auto id = input.ConsumeBool() ? input.ConsumeIntegralInRange<std::uint32_t>(0, 104)
                                            : input.ConsumeIntegral<std::uint32_t>();
        const auto raw = input.ConsumeIntegral<std::int32_t>();
        const std::int32_t status = mp_command_c2s(dev.get(), id, out.data(), raw);
        FUZZ_CHECK(status == (in_catalogue(id) ? MPDLL_OK : MPDLL_E_COMMAND_ID));
        FUZZ_CHECK(out.terminated());
        if (status != MPDLL_OK) {
            FUZZ_CHECK(out.data()[0] == '\0');
        }
    } else {
        mpdll::fuzzing::ExactBuffer ifOut(kCommandSize, '\0'), toolOut(kCommandSize, '\0');
        std::int32_t flag = -7;
        FUZZ_CHECK(mp_command_d2s(dev.get(), ifOut.data(), toolOut.data(), &flag) == MPDLL_OK);
        FUZZ_CHECK(ifOut.terminated() && toolOut.terminated());
        FUZZ_CHECK(std::strlen(ifOut.data()) <= 50 && std::strlen(toolOut.data()) <= 50);
        FUZZ_CHECK(flag == -7 || flag == 0 || flag == 1);
    }
    check_chip_model(chipBefore, dev->chipModel);
    FUZZ_CHECK(tail.same(*dev));
    return 0;
}
