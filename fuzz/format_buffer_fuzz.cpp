// FormatBuffer on any board text and any output size: the output is the
// normal form (no blanks, tabs or line ends, a to z upper-cased), cut to
// outSize - 1 characters, always terminated, and nothing is written past
// outSize bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <string>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

std::string normal_form(const std::string& text) {
    std::string form;
    for (const char c : text) {
        if (c == '\0' || form.size() == 16383) {
            break;
        }
        if (c == '\n' || c == '\r' || c == '\t' || c == ' ') {
            continue;
        }
        form.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return form;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto outSize = input.ConsumeIntegralInRange<std::int32_t>(1, 17000);
    const std::string text = input.ConsumeRemainingBytesAsString();

    mpdll::fuzzing::ExactBuffer out(static_cast<std::size_t>(outSize));
    FUZZ_CHECK(FormatBuffer(text.c_str(), out.data(), outSize) == 0);
    FUZZ_CHECK(out.terminated());
    const std::string expected = normal_form(text).substr(0, static_cast<std::size_t>(outSize) - 1);
    FUZZ_CHECK(expected == out.data());
    return 0;
}
