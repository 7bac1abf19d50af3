// Cutting the echo and the prompt off a raw response (FormatReceiveData).
#include "connection/answer/response_trim.h"

#include <cstring>

#include "connection/answer/prompt_search.h"
#include "mpdll/mpdll.h"

namespace mpdll {

std::string_view trim_response(std::string_view raw, std::string_view command, std::string_view prompt,
                               bool keepPrompt) noexcept {
    // A board that did not echo the line has nothing to cut at the front:
    // cutting there anyway would take the first characters of its output.
    // A text that stops inside the echo still counts as echoed.
    const bool echoed = raw.starts_with(command) || command.starts_with(raw);
    const std::size_t echoLength = echoed ? command.size() : 0;
    if (raw.size() < echoLength + prompt.size()) return raw;
    // Only a prompt that is there is cut: an answer that ended without it
    // keeps all its characters.
    const std::size_t cutAtEnd = keepPrompt || !ends_with_prompt(raw, prompt) ? 0 : prompt.size();
    return raw.substr(echoLength, raw.size() - echoLength - cutAtEnd);
}

}  // namespace mpdll

// out is neither cleared nor terminated here: the caller clears it and gives
// room for the whole raw text.
MPDLL_API int32_t MPDLL_CALL FormatReceiveData(const char* raw, const char* command, const char* prompt, char* out,
                                               int32_t keepPrompt) MPDLL_NOEXCEPT {
    if (!raw || !command || !prompt || !out) return MPDLL_E_ARGUMENT;
    const std::string_view kept = mpdll::trim_response(raw, command, prompt, mpdll::keeps_prompt(keepPrompt));
    std::memcpy(out, kept.data(), kept.size());
    return MPDLL_OK;
}
