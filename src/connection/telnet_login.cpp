// The telnet session set-up: negotiation, login and firstCommand.
//
// The board's first bursts are taken with the quiet wait and their options
// answered, at most 32 rounds. "LOGIN" anywhere in what the board has said
// since the connection opened means it asks for the login; from then on a
// negotiation reply goes out without the CR that the login program would
// read as an empty user name. After the user name the board is heard until
// it asks for the password or shows the shell prompt; after the password
// until it shows the prompt (logged in) or asks for the login again
// (refused). When the prompt shows without any login question, no second
// wait for one is spent. The password never becomes lastSent.
#include "connection/telnet_login.h"

#include <array>
#include <cstring>

#include "connection/bounded_text.h"
#include "connection/buffer_sizes.h"
#include "connection/line_end.h"
#include "connection/login_text.h"
#include "connection/receive_window.h"
#include "connection/telnet_negotiation.h"
#include "connection/telnet_transport.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

constexpr int kMostNegotiationRounds = 32;

// Replies for every sequence a 16383-byte burst can hold (at most 6 bytes
// for every 5 received).
using ReplyArea = std::array<char, 2 * kResponseSize>;

enum class Heard { enough, windowEnded, failed };

// One burst with the quiet wait into burst; false when the receive fails.
bool quiet_burst(DevContext& dev, std::span<char, kResponseSize> burst) {
    std::int32_t received = 0;
    return TelnetRcv(&dev, burst.data(), static_cast<std::int32_t>(burst.size()), &received, MPDLL_WAIT_QUIET) == MPDLL_OK;
}

// Hears the board until enough() says so or the 5-6 s window ends, answering
// any negotiation on the way without a CR. A closed connection fails.
template <typename Enough>
Heard hear_until(DevContext& dev, LoginText& heard, Enough enough) {
    std::array<char, kResponseSize> chunk{};
    ReplyArea reply{};
    const ReceiveWindow window;
    do {
        const platform::SocketOps& ops = platform::sockets();
        const MpSocket socket = dev.telnetSocket;
        const platform::Wait readable = ops.wait_readable(socket, kPollIntervalMs);
        if (readable == platform::Wait::failed) return Heard::failed;
        if (readable != platform::Wait::ready) continue;
        const int got = ops.recv(socket, chunk.data(), static_cast<int>(chunk.size() - 1));
        if (got <= 0) return Heard::failed;
        ops.acknowledge_now(socket);
        const std::string_view received = text_within(chunk.data(), static_cast<std::size_t>(got));
        const telnet::Negotiation answer = telnet::negotiate(received, reply);
        if (answer.replyLength > 0 &&
            telnet_send_bytes(socket, std::string_view(reply.data(), answer.replyLength)) != MPDLL_OK)
            return Heard::failed;
        heard.append_received(received);
        chunk.fill('\0');
        if (enough()) return Heard::enough;
    } while (window.open());
    return Heard::windowEnded;
}

// Sends a login field followed by CR through TelnetSnd (which adds its own
// CR), or, for the password, without recording it as lastSent.
bool send_login_line(DevContext& dev, std::string_view field, bool secret) {
    std::array<char, kResponseSize> line{};
    copy_text(line, field);
    if (!append_line_end(line)) return false;
    const std::string_view text = text_within(line.data(), line.size());
    if (secret) return telnet_send_line(dev, text, false) == MPDLL_OK;
    return TelnetSnd(&dev, text.data(), static_cast<std::int32_t>(text.size())) == MPDLL_OK;
}

std::int32_t run_first_command(DevContext& dev) {
    const std::string_view command = field_text(dev.firstCommand);
    if (command.empty()) return MPDLL_OK;
    std::array<char, kResponseSize> line{};
    copy_text(line, command);
    append_line_end(line);
    std::array<char, kResponseSize> response{};
    const std::int32_t status = SendCommand(&dev, line.data(), response.data(), static_cast<std::int32_t>(response.size()), 1, MPDLL_WAIT_NONE);
    return status == MPDLL_OK ? MPDLL_OK : MPDLL_E_OPEN;
}

// The negotiation rounds; false when a send or receive fails.
bool negotiate_options(DevContext& dev, LoginText& seen) {
    std::array<char, kResponseSize> burst{};
    ReplyArea reply{};
    for (int round = 0; round < kMostNegotiationRounds; ++round) {
        burst.fill('\0');
        if (!quiet_burst(dev, burst)) return false;
        const std::string_view received = text_within(burst.data(), burst.size());
        seen.append_received(received);
        const telnet::Negotiation answer = telnet::negotiate(received, reply);
        if (!answer.found) return true;
        const std::string_view replyBytes(reply.data(), answer.replyLength);
        if (seen.asks_for_login()) return telnet_send_bytes(dev.telnetSocket, replyBytes) == MPDLL_OK;
        if (TelnetSnd(&dev, replyBytes.data(), static_cast<std::int32_t>(replyBytes.size())) != MPDLL_OK) return false;
    }
    return true;
}

}  // namespace

std::int32_t telnet_login(DevContext& dev) noexcept {
    const std::string_view prompt = field_text(dev.prompt);
    LoginText seen;
    if (!negotiate_options(dev, seen)) return MPDLL_E_OPEN;

    if (!seen.asks_for_login() && !seen.shows_prompt(prompt)) {
        std::array<char, kResponseSize> burst{};
        if (quiet_burst(dev, burst)) seen.append_received(text_within(burst.data(), burst.size()));
    }
    if (!seen.asks_for_login()) return run_first_command(dev);

    if (!send_login_line(dev, field_text(dev.userName), false)) return MPDLL_E_OPEN;
    LoginText answer;
    const Heard afterName =
        hear_until(dev, answer, [&] { return answer.asks_for_password() || answer.shows_prompt(prompt); });
    if (afterName == Heard::failed) return MPDLL_E_OPEN;
    if (!answer.asks_for_password()) return run_first_command(dev);

    if (!send_login_line(dev, field_text(dev.password), true)) return MPDLL_E_OPEN;
    answer.clear();
    const Heard afterPassword =
        hear_until(dev, answer, [&] { return answer.refuses_login() || answer.shows_prompt(prompt); });
    if (afterPassword == Heard::failed || answer.refuses_login()) return MPDLL_E_OPEN;
    return run_first_command(dev);
}

}  // namespace mpdll
