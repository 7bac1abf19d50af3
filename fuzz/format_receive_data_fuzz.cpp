// FormatReceiveData on any raw answer, command and prompt: the echo is cut
// from the front when the answer begins with it (or stops inside it), the
// prompt from the back only when the answer ends with it (in either
// line-end order), the output fits
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

bool ends_with(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// The prompt with its first "\n\r" turned into "\r\n", or else its first
// "\r\n" into "\n\r" (prompts longer than the record's field are cut to it).
std::string other_line_end_order(std::string prompt) {
    prompt = prompt.substr(0, 50);
    std::size_t at = prompt.find("\n\r");
    if (at == std::string::npos) at = prompt.find("\r\n");
    if (at != std::string::npos) std::swap(prompt[at], prompt[at + 1]);
    return prompt;
}

std::string expected_cut(const std::string& raw, const std::string& command, const std::string& prompt,
                         bool keepPrompt) {
    const bool echoed = raw.compare(0, command.size(), command) == 0 || command.compare(0, raw.size(), raw) == 0;
    const std::size_t commandLength = echoed ? command.size() : 0;
    if (raw.size() < commandLength + prompt.size()) {
        return raw;
    }
    const bool endsWithPrompt =
        !prompt.empty() && (ends_with(raw, prompt) || ends_with(raw, other_line_end_order(prompt)));
    if (keepPrompt || !endsWithPrompt) {
        return raw.substr(commandLength);
    }
    return raw.substr(commandLength, raw.size() - commandLength - prompt.size());
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
    FUZZ_CHECK(expected_cut(raw, command, prompt, keep) == out.data());
    return 0;
}
