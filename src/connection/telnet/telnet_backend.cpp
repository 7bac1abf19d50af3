// The telnet backend: the session opened with the login, closed with its
// socket, and command lines run through the shared line exchange.
#include "connection/device_open_close.h"
#include "connection/line_exchange.h"
#include "connection/telnet/telnet_open.h"
#include "connection/telnet/telnet_transport.h"
#include "connection/transport.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

std::int32_t open_telnet_session(DevContext& dev) noexcept { return open_line_connection(dev, open_telnet); }

void close_telnet_session(DevContext& dev) noexcept {
    if (platform::sockets().is_valid(dev.telnetSocket)) platform::sockets().close(dev.telnetSocket);
    dev.telnetSocket = platform::kInvalidSocket;
    session::end(dev);
}

void drop_telnet_input(const DevContext& dev, SessionState& session, DroppedInput& dropped,
                       std::span<char> scratch) noexcept {
    discard_telnet_input(dev, session.stream, dropped, scratch);
}

std::int32_t receive_telnet_answer(const DevContext& dev, SessionState& session, AnswerFramer& framer,
                                   std::int32_t wait, const PromptSettle& settle, const CallTrace& trace) noexcept {
    long long received = 0;
    return telnet_receive(dev, session.stream, framer, wait == MPDLL_WAIT_QUIET, settle, received, trace);
}

// An answer the window ended without its prompt is handed out as it came.
std::int32_t settle_telnet_answer(const DevContext&, const AnswerFramer&, const CallTrace&) noexcept {
    return MPDLL_OK;
}

constexpr LineConsole kTelnetConsole{drop_telnet_input, telnet_send_command, receive_telnet_answer,
                                     settle_telnet_answer};

std::int32_t run_telnet_line(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                             std::int32_t wait, const CallTrace& trace) noexcept {
    return line_exchange(dev, line, response, keepPrompt, wait, kTelnetConsole, trace);
}

}  // namespace

constinit const Transport telnetTransport{
    .mode = MPDLL_MODE_TELNET,
    .name = "telnet",
    .firstOpenStep = "connect",
    .open = open_telnet_session,
    .close = close_telnet_session,
    .exchange = run_telnet_line,
    .reachesShell = true,
};

}  // namespace mpdll
