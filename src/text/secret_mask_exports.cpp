// MpdllMaskSecret: the library's masking of a secret, for the texts a
// program shows or keeps itself (the tools' transcripts among them).
#include <cstring>
#include <span>
#include <string_view>

#include "mpdll/mpdll.h"
#include "text/secret_mask.h"

MPDLL_API int32_t MPDLL_CALL MpdllMaskSecret(char* text, int32_t length, const char* secret) MPDLL_NOEXCEPT {
    if (!text || !secret || length < 0) return MPDLL_E_ARGUMENT;
    mpdll::mask_secret(std::span<char>(text, static_cast<std::size_t>(length)), std::string_view(secret));
    return MPDLL_OK;
}
