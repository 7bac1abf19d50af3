// RcvPrompt with any collected text and any prompt field, terminated within
// its 50 bytes or not: the quiet wait always reports 0; otherwise the answer
// is -1 or an offset inside the text where the prompt (or the prompt with its
// first CR LF / LF CR swapped) stands, and a plain occurrence of a
// terminated prompt is always found at its first position.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

namespace {

std::string swapped_line_end(std::string prompt) {
    if (const auto at = prompt.find("\n\r"); at != std::string::npos) {
        prompt.replace(at, 2, "\r\n");
    } else if (const auto at2 = prompt.find("\r\n"); at2 != std::string::npos) {
        prompt.replace(at2, 2, "\n\r");
    }
    return prompt;
}

bool stands_at(std::string_view text, std::size_t offset, std::string_view prompt) {
    return text.substr(offset, prompt.size()) == prompt;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::int32_t wait = input.ConsumeBool() ? MPDLL_WAIT_QUIET : input.ConsumeIntegral<std::int32_t>();
    auto dev = std::make_unique<DevContext>();
    const std::string field = input.ConsumeBytesAsString(sizeof dev->prompt);
    std::memcpy(dev->prompt, field.data(), field.size());
    const std::string received = input.ConsumeRemainingBytesAsString();

    mpdll::fuzzing::ExactBuffer text(received.size() + 1);
    std::memcpy(text.data(), received.data(), received.size());
    text.data()[received.size()] = '\0';
    const std::string_view collected(text.data());

    const std::int32_t at = RcvPrompt(dev.get(), text.data(), wait);
    if (wait == MPDLL_WAIT_QUIET) {
        FUZZ_CHECK(at == 0);
        return 0;
    }
    FUZZ_CHECK(at == -1 || (at >= 0 && static_cast<std::size_t>(at) <= collected.size()));

    const std::size_t promptLength = ::strnlen(dev->prompt, sizeof dev->prompt);
    if (promptLength == sizeof dev->prompt) {
        return 0;  // an unterminated field: only bounds are promised
    }
    const std::string prompt(dev->prompt, promptLength);
    if (at >= 0) {
        const auto offset = static_cast<std::size_t>(at);
        FUZZ_CHECK(stands_at(collected, offset, prompt) || stands_at(collected, offset, swapped_line_end(prompt)));
    }
    if (const auto plain = collected.find(prompt); plain != std::string_view::npos) {
        FUZZ_CHECK(at == static_cast<std::int32_t>(plain));
    }
    return 0;
}
