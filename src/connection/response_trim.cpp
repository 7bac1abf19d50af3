// Cutting the echo and the prompt off a raw response (FormatReceiveData).
#include "connection/response_trim.h"

#include <cstring>

#include "mpdll/mpdll.h"

namespace mpdll {

std::string_view trim_response(std::string_view raw, std::size_t commandLength, std::size_t promptLength,
                               bool keepPrompt) noexcept {
    if (raw.size() < commandLength + promptLength) return raw;
    const std::size_t cutAtEnd = keepPrompt ? 0 : promptLength;
    return raw.substr(commandLength, raw.size() - commandLength - cutAtEnd);
}

}  // namespace mpdll

// out is neither cleared nor terminated here: the caller clears it and gives
// room for the whole raw text.
MPDLL_API int32_t MPDLL_CALL FormatReceiveData(const char* raw, const char* command, const char* prompt, char* out, int32_t keepPrompt) MPDLL_NOEXCEPT {
    if (!raw || !command || !prompt || !out) return MPDLL_E_ARGUMENT;
    const std::string_view kept =
        mpdll::trim_response(raw, std::strlen(command), std::strlen(prompt), mpdll::keeps_prompt(keepPrompt));
    std::memcpy(out, kept.data(), kept.size());
    return MPDLL_OK;
}
