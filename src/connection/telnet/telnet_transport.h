// Telnet byte transport internals shared by TelnetSnd, TelnetRcv, the login
// and the telnet backend's command exchange. Every byte the board sends goes through the session's
// one telnet decoder, at the login and after it: IAC IAC is one 0xFF data
// byte, options are answered from the reply table as they come, and no part
// of a command reaches an answer. A 0xFF in a line sent is doubled.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "connection/answer/answer_framer.h"
#include "connection/answer/prompt_settle.h"
#include "connection/answer/receive_window.h"
#include "connection/answer/stale_input.h"
#include "connection/telnet/telnet_negotiation.h"
#include "connection/trace.h"
#include "mpdll/mpdll.h"

namespace mpdll {

// Sends every byte as it is (no line end, no escaping); 0, or the socket
// error number.
std::int32_t telnet_send_bytes(MpSocket socket, std::string_view bytes) noexcept;

// Sends data, a 0xFF in it doubled, followed by one CR; when record is set
// the line also becomes lastSent. 0, the socket error number, or
// MPDLL_E_ARGUMENT for a line longer than 16382 bytes.
std::int32_t telnet_send_line(const DevContext& dev, std::string_view data, bool record) noexcept;

// A command line sent as telnet_send_line does with lastSent, its failure
// said in trace.
std::int32_t telnet_send_command(const DevContext& dev, std::string_view line, const CallTrace& trace) noexcept;

// The socket error number of the last failed socket call, never 0.
std::int32_t socket_error() noexcept;

struct TelnetData {
    enum class Kind { nothing, data, closed, waitFailed, readFailed, replyFailed };
    Kind kind = Kind::nothing;
    std::string_view text;    // data: the decoded bytes, in the read area
    std::size_t received = 0;  // bytes read from the socket
};

// One read within a poll interval into area, decoded in place; the replies
// to options in it are sent at once. With settleFirst, once data waits the
// read holds back until the pending count has not changed over 200 ms (the
// quiet wait) or the window closes.
TelnetData read_telnet_data(const DevContext& dev, telnet::Stream& stream, std::span<char> area, bool settleFirst,
                            const ReceiveWindow& window) noexcept;

// Reads the board into framer until its answer is complete, and settle
// has passed after it, or the 5 to 6 s window closes (framer.complete()
// tells which). received adds the bytes read from the socket. 0;
// MPDLL_E_TRANSPORT when waiting for data fails; the socket error number
// when a read or an option reply fails (a failure said in trace).
std::int32_t telnet_receive(const DevContext& dev, telnet::Stream& stream, AnswerFramer& framer, bool quiet,
                            const PromptSettle& settle, long long& received, const CallTrace& trace) noexcept;

// Reads and drops everything readable at once on the socket, through the
// session's telnet decoder (options in it are answered); scratch is the
// read area.
void discard_telnet_input(const DevContext& dev, telnet::Stream& stream, DroppedInput& dropped,
                          std::span<char> scratch) noexcept;

}  // namespace mpdll
