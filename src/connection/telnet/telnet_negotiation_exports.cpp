// TelnetNegotiate and TelnetReplay: the exported faces of the negotiation.
#include <algorithm>
#include <cstring>
#include <span>
#include <string_view>

#include "connection/telnet/telnet_negotiation.h"
#include "mpdll/mpdll.h"
#include "text/bounded_text.h"

MPDLL_API int32_t MPDLL_CALL TelnetNegotiate(const char* received, int32_t receivedSize, char* reply,
                                             int32_t* replyLength) MPDLL_NOEXCEPT {
    if (!received || !reply || !replyLength) return MPDLL_E_ARGUMENT;
    const std::size_t size = receivedSize > 0 ? static_cast<std::size_t>(receivedSize) : 0;
    const std::string_view text = mpdll::text_within(received, size);
    // The caller gives 6 bytes of room per sequence, and each one starts with an IAC.
    const auto sequences =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), static_cast<char>(mpdll::telnet::kIac)));
    const auto result =
        mpdll::telnet::negotiate(text, std::span<char>(reply, sequences * mpdll::telnet::kLongestReply));
    *replyLength = static_cast<int32_t>(result.replyLength);
    return result.found ? 1 : 0;
}

MPDLL_API int32_t MPDLL_CALL TelnetReplay(const char* sequence, int32_t sequenceLength, char* reply,
                                          int32_t* replyLength) MPDLL_NOEXCEPT {
    if (!sequence || !reply || !replyLength) return MPDLL_E_ARGUMENT;
    const std::size_t length = sequenceLength > 0 ? static_cast<std::size_t>(sequenceLength) : 0;
    char built[mpdll::telnet::kLongestReply] = {};
    const std::size_t written = mpdll::telnet::reply_to(std::string_view(sequence, length), built);
    std::memcpy(reply, built, written);
    *replyLength = static_cast<int32_t>(written);
    return MPDLL_OK;
}
