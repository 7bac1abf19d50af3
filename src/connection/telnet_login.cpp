// The telnet session set-up: negotiation, login and firstCommand.
//
// The board is read chunk by chunk and its options are answered as they
// arrive, without a line end: a telnet server starts the login program
// while it negotiates, and the login program would read a CR as an answer.
//
// The shell counts as ready only when the prompt ends what the board has
// said: a prompt inside a banner or an echo does not. Each login field goes
// out with exactly one CR; a real terminal keeps what is typed ahead, so a
// second CR would be read as the answer to the next question. The open
// succeeds only on evidence: the prompt ended what was heard, or the board
// asked for no login and fell silent, or (with an empty prompt) the
// password was answered without a refusal. The password never becomes
// lastSent nor lastReceived; after the open lastReceived holds what the
// board said after the last login line.
#include "connection/telnet_login.h"

#include <array>

#include "connection/last_exchange.h"
#include "connection/login_text.h"
#include "connection/receive_window.h"
#include "connection/session_state.h"
#include "connection/telnet_negotiation.h"
#include "connection/telnet_read.h"
#include "connection/telnet_transport.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll {
namespace {

// The negotiation and the wait for the first question end by then.
constexpr std::uint64_t kNegotiationLimitMs = 10000;
// With an empty prompt, the answer to the password is the first burst once
// the board has been quiet this long (the quiet wait's two 200 ms steps).
constexpr std::uint64_t kQuietBurstMs = 400;

enum class Heard { enough, quiet, silent, limit, windowEnded, closed, failed };

// How a wait ends when the board never says what is asked for.
enum class Ending {
    silence,     // after a whole window without a byte, or at the negotiation limit
    window,      // after one window from the start of the wait
    quietBurst,  // after one window, or once data came and then 400 ms of quiet
};

class LoginDialog {
  public:
    LoginDialog(DevContext& dev, OpenTrace& trace) noexcept
        : dev_(dev), trace_(trace), prompt_(field_text(dev.prompt)), startMs_(platform::monotonic_ms()) {}

    std::int32_t run() noexcept;

  private:
    template <typename Enough>
    Heard hear(LoginText& text, Ending ending, Enough enough) noexcept;
    std::int32_t failed(Heard heard, std::string_view whenSilent) const noexcept;
    std::int32_t ready(LoginText& lastHeard) noexcept;

    DevContext& dev_;
    OpenTrace& trace_;
    std::string_view prompt_;
    std::uint64_t startMs_;
    telnet::Stream stream_;
    bool heardAnything_ = false;
};

// Hears the board into text until enough() says so or the wait ends as
// `ending` says, answering the negotiation on the way.
template <typename Enough>
Heard LoginDialog::hear(LoginText& text, Ending ending, Enough enough) noexcept {
    std::array<char, kResponseSize> chunk;
    std::array<char, kResponseSize + kFieldSize> data;
    std::array<char, 2 * kResponseSize> reply;
    ReceiveWindow window;
    std::uint64_t lastDataMs = 0;
    for (;;) {
        const TelnetChunk got =
            read_telnet_chunk(dev_.telnetSocket, std::span<char>(chunk.data(), chunk.size() - 1), false, window);
        if (got.kind == TelnetChunk::Kind::closed) return Heard::closed;
        if (got.kind == TelnetChunk::Kind::waitFailed || got.kind == TelnetChunk::Kind::readFailed)
            return Heard::failed;
        const std::uint64_t nowMs = platform::monotonic_ms();
        if (got.kind == TelnetChunk::Kind::data) {
            heardAnything_ = true;
            const telnet::Stream::Taken taken = stream_.take(std::string_view(chunk.data(), got.length), data, reply);
            const std::string_view said(data.data(), taken.dataLength);
            text.append(said);
            trace_.heard(said);
            if (telnet_send_bytes(dev_.telnetSocket, std::string_view(reply.data(), taken.replyLength)) != MPDLL_OK)
                return Heard::failed;
            if (!said.empty()) lastDataMs = nowMs;
            if (ending == Ending::silence) window = ReceiveWindow();
            if (enough()) return Heard::enough;
        }
        if (ending == Ending::quietBurst && lastDataMs != 0 && nowMs - lastDataMs >= kQuietBurstMs) return Heard::quiet;
        if (ending == Ending::silence && nowMs - startMs_ >= kNegotiationLimitMs) return Heard::limit;
        if (!window.open()) return ending == Ending::silence ? Heard::silent : Heard::windowEnded;
    }
}

std::int32_t LoginDialog::failed(Heard heard, std::string_view whenSilent) const noexcept {
    switch (heard) {
        case Heard::closed:
            return trace_.fail("the board closed the connection");
        case Heard::failed:
            return trace_.fail("a socket send or receive failed");
        case Heard::limit:
            return trace_.fail("still negotiating after 10 s");
        default:
            return trace_.fail(whenSilent);
    }
}

std::int32_t LoginDialog::ready(LoginText& lastHeard) noexcept {
    // The session goes on with the login's telnet decoder and knows whether
    // the board agreed to echo.
    SessionState state = session::load(dev_);
    state.stream = stream_;
    state.boardEchoes = stream_.peer_echoes();
    session::store(dev_, state);
    lastHeard.mask(field_text(dev_.password));
    last_exchange::record_received(lastHeard.text());
    const std::string_view command = field_text(dev_.firstCommand);
    if (command.empty()) return MPDLL_OK;
    trace_.step("first command");
    FixedText<kResponseSize> line;
    line.append(command).append("\r");
    std::array<char, kResponseSize> response{};
    const std::int32_t status = SendCommand(&dev_, line.c_str(), response.data(),
                                            static_cast<std::int32_t>(response.size()), 1, MPDLL_WAIT_NONE);
    return status == MPDLL_OK ? MPDLL_OK : trace_.fail("the first command failed");
}

std::int32_t LoginDialog::run() noexcept {
    last_exchange::clear();
    trace_.step("negotiation");
    LoginText opening;
    const Heard first =
        hear(opening, Ending::silence, [&] { return opening.ends_with_prompt(prompt_) || opening.asks_for_login(); });
    if (first == Heard::closed || first == Heard::failed || first == Heard::limit) return failed(first, "");
    if (!heardAnything_) return trace_.fail("not one byte from the peer: no board");
    if (first != Heard::enough || opening.ends_with_prompt(prompt_)) return ready(opening);

    trace_.step("user");
    if (telnet_send_line(dev_, field_text(dev_.userName), true) != MPDLL_OK)
        return trace_.fail("sending the user name failed");
    LoginText afterName;
    const Heard named = hear(afterName, Ending::window,
                             [&] { return afterName.asks_for_password() || afterName.ends_with_prompt(prompt_); });
    if (named != Heard::enough) return failed(named, "no password question and no prompt after the user name");
    if (!afterName.asks_for_password()) return ready(afterName);

    trace_.step("password");
    if (telnet_send_line(dev_, field_text(dev_.password), false) != MPDLL_OK)
        return trace_.fail("sending the password failed");
    LoginText afterPassword;
    const Ending ending = prompt_.empty() ? Ending::quietBurst : Ending::window;
    const Heard answered = hear(afterPassword, ending, [&] {
        return afterPassword.asks_for_login() || afterPassword.ends_with_prompt(prompt_);
    });
    if (answered == Heard::enough && afterPassword.asks_for_login()) return trace_.fail("the login was refused");
    if (answered == Heard::enough || answered == Heard::quiet) return ready(afterPassword);
    return failed(answered, "no prompt and no refusal after the password");
}

}  // namespace

std::int32_t telnet_login(DevContext& dev, OpenTrace& trace) noexcept { return LoginDialog(dev, trace).run(); }

}  // namespace mpdll
