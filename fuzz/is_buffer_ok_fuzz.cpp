// IsBufferOk on any reply: 0 exactly when the lower-case pair "ok" occurs
// before the first NUL, -30004 otherwise; nothing is read past the NUL.
#include <cstdint>
#include <cstring>
#include <string_view>

#include "mpdll/mpdll.h"
#include "support/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    mpdll::fuzzing::ExactBuffer text(size + 1);
    std::memcpy(text.data(), data, size);
    text.data()[size] = '\0';

    const std::string_view reply(text.data());
    const std::int32_t expected = reply.find("ok") != std::string_view::npos ? MPDLL_OK : MPDLL_E_REPLY;
    FUZZ_CHECK(IsBufferOk(text.data()) == expected);
    return 0;
}
