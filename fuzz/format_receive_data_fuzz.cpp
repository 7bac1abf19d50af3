// FormatReceiveData on any raw answer, command and prompt: the echo is cut
// from the front when the answer begins with it (or stops inside it), the
// prompt by position from the back, the output fits
// the room the caller gives (the raw length plus a terminator) and stays
// terminated there.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

std::string c_text(FuzzedDataProvider& input, std::size_t maxLength) {
    std::string text = input.ConsumeRandomLengthString(maxLength);
    return text.substr(0, text.find('\0'));
}

std::string expected_cut(const std::string& raw, const std::string& command, std::size_t promptLength,
                         bool keepPrompt) {
    const bool echoed = raw.compare(0, command.size(), command) == 0 || command.compare(0, raw.size(), raw) == 0;
    const std::size_t commandLength = echoed ? command.size() : 0;
    if (raw.size() < commandLength + promptLength) {
        return raw;
    }
    if (keepPrompt) {
        return raw.substr(commandLength);
    }
    return raw.substr(commandLength, raw.size() - commandLength - promptLength);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto keepPrompt = input.ConsumeIntegral<std::int32_t>();
    const std::string command = c_text(input, 2100);
    const std::string prompt = c_text(input, 60);
    const std::string raw = c_text(input, 17000);

    mpdll::fuzzing::ExactBuffer out(raw.size() + 1, '\0');
    FUZZ_CHECK(FormatReceiveData(raw.c_str(), command.c_str(), prompt.c_str(), out.data(), keepPrompt) == 0);
    FUZZ_CHECK(out.terminated());
    const bool keep = (keepPrompt & 0xff) == 1;
    FUZZ_CHECK(expected_cut(raw, command, prompt.size(), keep) == out.data());
    return 0;
}
