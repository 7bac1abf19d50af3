// The bounded answer scanner with every format the library reads board
// answers with, on any answer text. Text targets are blocks of exactly their
// capacity, so a field longer than its target is caught by ASan if it is not
// cut; a stored text is always terminated. With ample targets and numbers
// that fit 32 bits, the scanner agrees with sscanf on the count and on every
// value, which is the behaviour the board-facing functions rely on.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "commands/response_scan.h"
#include "support/fuzz_check.h"

namespace {

namespace scan = mpdll::scan;

struct Format {
    const char* text;
    const char* kinds;  // one letter per conversion: d number, s text
};

const Format kFormats[] = {
    {"%[^:]:%s", "ss"},
    {"CHIPVERSION:%s", "s"},
    {"data:    MIMO_TR_hw_support:%s\a", "s"},
    {"data:    chipVersion:%s\a", "s"},
    {"%[^:]:FLAG:%dSA:%17sDA:%17sBSSID:%17s", "sdsss"},
    {"%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", "sdddd"},
    {"TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", "dddd"},
    {"Tx OK:%d, Tx Fail:%d, Rx OK:%d, CRC error:%d", "dddd"},
    {"%[^:]:%d", "sd"},
    {"%d ", "d"},
    {"%[^:]:%d ", "sd"},
    {"%[^=]=%s", "ss"},
    {"data:wlan0     read_rf:%d  %d  %d  %d  \a", "dddd"},
    {"%[^:]:%d %d %d %d", "sdddd"},
};

bool has_long_number(std::string_view text) {
    std::size_t run = 0;
    for (const char c : text) {
        run = (c >= '0' && c <= '9') ? run + 1 : 0;
        if (run > 9) return true;
    }
    return false;
}

// Scans with exact-size text targets of the fuzzer's capacities.
void scan_bounded(FuzzedDataProvider& input, const Format& format, std::string_view text) {
    const std::size_t n = std::strlen(format.kinds);
    std::vector<mpdll::fuzzing::ExactBuffer> texts;
    std::vector<std::int32_t> numbers(n, 0);
    std::vector<scan::Target> targets;
    texts.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const bool wrongKind = input.ConsumeIntegralInRange(0, 15) == 0;
        const bool isText = (format.kinds[i] == 's') != wrongKind;
        if (isText) {
            texts.emplace_back(input.ConsumeIntegralInRange<std::size_t>(0, 40));
            auto& block = texts.back();
            targets.push_back(input.ConsumeBool() ? scan::Target::into({block.data(), block.length})
                                                  : scan::Target::into_until_bel({block.data(), block.length}));
        } else {
            targets.push_back(input.ConsumeBool() ? scan::Target::number(&numbers[i]) : scan::Target::skip());
        }
    }
    const int count = scan::scan(text, format.text, targets);
    FUZZ_CHECK(count >= 0 && static_cast<std::size_t>(count) <= n);
    for (auto& block : texts) {
        bool untouched = true;
        for (std::size_t k = 0; k < block.length; ++k) untouched = untouched && block.data()[k] == '\x5a';
        FUZZ_CHECK(untouched || block.terminated());
    }
}

// Scans with ample targets and compares with sscanf.
void scan_against_sscanf(const Format& format, const std::string& text) {
    const std::size_t n = std::strlen(format.kinds);
    // Room for any field of the text, and at least the 18 bytes of "%17s".
    std::vector<std::string> ours(n, std::string(std::max<std::size_t>(text.size() + 1, 18), '\0')), theirs = ours;
    std::vector<std::int32_t> ourNumbers(n, 0), theirNumbers(n, 0);
    std::vector<scan::Target> targets;
    std::vector<void*> pointers;
    for (std::size_t i = 0; i < n; ++i) {
        if (format.kinds[i] == 's') {
            targets.push_back(scan::Target::into({ours[i].data(), ours[i].size()}));
            pointers.push_back(theirs[i].data());
        } else {
            targets.push_back(scan::Target::number(&ourNumbers[i]));
            pointers.push_back(&theirNumbers[i]);
        }
    }
    pointers.resize(5, nullptr);
    const int count = scan::scan(text, format.text, targets);
    int expected =
        std::sscanf(text.c_str(), format.text, pointers[0], pointers[1], pointers[2], pointers[3], pointers[4]);
    expected = expected < 0 ? 0 : expected;
    FUZZ_CHECK(count == expected);
    for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
        if (format.kinds[i] == 's') {
            FUZZ_CHECK(std::strcmp(ours[i].c_str(), theirs[i].c_str()) == 0);
        } else {
            FUZZ_CHECK(ourNumbers[i] == theirNumbers[i]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const Format& format = kFormats[input.ConsumeIntegralInRange<std::size_t>(0, std::size(kFormats) - 1)];
    const bool bounded = input.ConsumeBool();
    const std::vector<std::uint8_t> shape = input.ConsumeBytes<std::uint8_t>(bounded ? 16 : 0);
    const std::string text = input.ConsumeRemainingBytesAsString();
    if (bounded) {
        FuzzedDataProvider targetShape(shape.data(), shape.size());
        scan_bounded(targetShape, format, text);
    } else {
        const std::string cText = text.substr(0, text.find('\0'));
        if (cText.size() <= 4096 && !has_long_number(cText)) {
            scan_against_sscanf(format, cText);
        }
    }
    return 0;
}
