// The telnet session set-up: negotiation, login and firstCommand.
//
// The board is read chunk by chunk and its options are answered as they
// arrive, without a line end: a telnet server starts the login program
// while it negotiates, and the login program would read a CR as an answer.
//
// Only how the text heard since the last login line ends decides
// (LoginText): the prompt is the shell, whatever notices came before it; a
// user question gets the user name; a password question gets the password,
// and nothing else ever does. A question asked again after its answer, or a
// refusal line the board then stays quiet after, is a refused login. Each
// login field goes out with exactly one CR; a real terminal keeps what is
// typed ahead, so a second CR would be read as the answer to the next
// question. The open succeeds only on evidence: the prompt ended what was
// heard; or the board said nothing but blanks and fell silent; or, with an
// empty prompt, the board fell silent without a question, or answered the
// password with a burst that neither asks again nor refuses. The password
// is masked in everything kept or shown (lastSent, lastReceived, the
// trace); after the open lastReceived holds what the board said after the
// last login line.
#include "connection/telnet/telnet_login.h"

#include <algorithm>
#include <array>

#include "connection/answer/echo_match.h"
#include "connection/answer/prompt_search.h"
#include "connection/answer/receive_window.h"
#include "connection/last_exchange.h"
#include "connection/session_state.h"
#include "connection/telnet/login_text.h"
#include "connection/telnet/telnet_negotiation.h"
#include "connection/telnet/telnet_read.h"
#include "connection/telnet/telnet_transport.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"
#include "text/secret_mask.h"
#include "text/text_characters.h"

namespace mpdll {
namespace {

// The negotiation and the wait for the first question end by then.
constexpr std::uint64_t kNegotiationLimitMs = 10000;
// A refusal line, or with an empty prompt the answer to the password, is
// taken once the board has been quiet this long after it.
constexpr std::uint64_t kQuietBurstMs = 400;

enum class Heard { decided, quiet, silent, limit, windowEnded, closed, failed };

// How a wait ends when the board never says what decides the login.
enum class Ending {
    silence,  // after a whole window without a byte, or at the negotiation limit
    window,   // after one window from the start of the wait
};

class LoginDialog {
  public:
    LoginDialog(DevContext& dev, OpenTrace& trace) noexcept
        : dev_(dev),
          trace_(trace),
          prompt_(field_text(dev.prompt)),
          password_(field_text(dev.password)),
          startMs_(platform::monotonic_ms()),
          heard_(password_) {}

    std::int32_t run() noexcept;

  private:
    Heard hear(Ending ending) noexcept;
    // Whether a quiet board has said its last word on the login.
    bool ends_on_quiet() const noexcept;
    std::int32_t after_silent_opening() noexcept;
    std::int32_t send_user_name() noexcept;
    std::int32_t send_password() noexcept;
    std::int32_t failed(Heard heard) const noexcept;
    std::int32_t ready() noexcept;

    DevContext& dev_;
    OpenTrace& trace_;
    std::string_view prompt_;
    std::string_view password_;
    std::uint64_t startMs_;
    telnet::Stream stream_;
    LoginText heard_;  // what the board said since the last login line
    bool heardAnything_ = false;
    bool nameSent_ = false;
    bool passwordSent_ = false;
};

// Hears the board into heard_ until its end decides the login (the prompt
// or a question), it falls quiet after a last word, or the wait ends as
// `ending` says, answering the negotiation on the way.
Heard LoginDialog::hear(Ending ending) noexcept {
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
            heard_.append(said);
            trace_.heard(said);
            if (telnet_send_bytes(dev_.telnetSocket, std::string_view(reply.data(), taken.replyLength)) != MPDLL_OK)
                return Heard::failed;
            if (!said.empty()) lastDataMs = nowMs;
            if (ending == Ending::silence) window = ReceiveWindow();
            const LoginEnding end = heard_.ending(prompt_);
            if (end == LoginEnding::prompt || end == LoginEnding::user || end == LoginEnding::password)
                return Heard::decided;
        }
        if (lastDataMs != 0 && nowMs - lastDataMs >= kQuietBurstMs && ends_on_quiet()) return Heard::quiet;
        if (ending == Ending::silence && nowMs - startMs_ >= kNegotiationLimitMs) return Heard::limit;
        if (!window.open()) return ending == Ending::silence ? Heard::silent : Heard::windowEnded;
    }
}

bool LoginDialog::ends_on_quiet() const noexcept {
    const LoginEnding end = heard_.ending(prompt_);
    if (end == LoginEnding::refusal) return nameSent_ || passwordSent_;
    return end == LoginEnding::nothing && prompt_.empty() && passwordSent_;
}

std::int32_t LoginDialog::failed(Heard heard) const noexcept {
    switch (heard) {
        case Heard::closed:
            return trace_.fail("the board closed the connection");
        case Heard::failed:
            return trace_.fail("a socket send or receive failed", socket_error());
        case Heard::limit:
            return trace_.fail("still negotiating after 10 s");
        default:
            return trace_.fail(passwordSent_ ? "no prompt and no refusal after the password"
                                             : "no password question and no prompt after the user name");
    }
}

// The board asked nothing and fell silent. With an empty prompt the shell
// cannot be seen, and a board that said nothing but blanks asked for no
// login; any other text it ends with is a question the login does not know.
std::int32_t LoginDialog::after_silent_opening() noexcept {
    const std::string_view said = heard_.text();
    if (prompt_.empty() || std::all_of(said.begin(), said.end(), is_space)) return ready();
    return trace_.fail("the board fell silent after text that ends with neither the prompt nor a login question");
}

std::int32_t LoginDialog::send_user_name() noexcept {
    trace_.step("user");
    const std::string_view name = field_text(dev_.userName);
    std::array<char, sizeof dev_.userName + 1> line{};
    std::copy(name.begin(), name.end(), line.begin());
    line[name.size()] = '\r';
    mask_secret(std::span<char>(line.data(), name.size() + 1), password_);
    last_exchange::record_sent(std::string_view(line.data(), name.size() + 1));
    const std::int32_t status = telnet_send_line(dev_, name, false);
    if (status != MPDLL_OK) return trace_.fail("sending the user name failed", std::max(status, 0));
    nameSent_ = true;
    heard_.clear();
    return MPDLL_OK;
}

std::int32_t LoginDialog::send_password() noexcept {
    trace_.step("password");
    const std::int32_t status = telnet_send_line(dev_, password_, false);
    if (status != MPDLL_OK) return trace_.fail("sending the password failed", std::max(status, 0));
    passwordSent_ = true;
    heard_.clear();
    return MPDLL_OK;
}

std::int32_t LoginDialog::ready() noexcept {
    // The session goes on with the login's telnet decoder and knows whether
    // the board agreed to echo.
    SessionState state = session::load(dev_);
    state.stream = stream_;
    state.boardEchoes = stream_.peer_echoes();
    const std::string_view heard = heard_.text();
    if (!prompt_.empty() && ends_with_prompt(heard.substr(0, end_before_trailing_controls(heard)), prompt_))
        state.learn_prompt_trailer(heard.substr(end_before_trailing_controls(heard)));
    session::store(dev_, state);
    heard_.mask_for_showing();
    last_exchange::record_received(heard_.text());
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
    Heard heard = hear(Ending::silence);
    if (heard == Heard::closed || heard == Heard::failed || heard == Heard::limit) return failed(heard);
    if (!heardAnything_) return trace_.fail("not one byte from the peer: no board");
    if (heard == Heard::silent) return after_silent_opening();
    for (;;) {
        std::int32_t sent = MPDLL_OK;
        switch (heard_.ending(prompt_)) {
            case LoginEnding::prompt:
                return ready();
            case LoginEnding::user:
                if (passwordSent_) return trace_.fail("the board asked for the login again: the login was refused");
                if (nameSent_) return trace_.fail("the board asked for the user name again: the name was refused");
                sent = send_user_name();
                break;
            case LoginEnding::password:
                if (passwordSent_) return trace_.fail("the board asked for the password again: the login was refused");
                sent = send_password();
                break;
            case LoginEnding::refusal:
                return trace_.fail("the login was refused");
            case LoginEnding::nothing:
                return ready();  // the quiet answer to the password, with an empty prompt
        }
        if (sent != MPDLL_OK) return sent;
        heard = hear(Ending::window);
        if (heard != Heard::decided && heard != Heard::quiet) return failed(heard);
    }
}

}  // namespace

std::int32_t telnet_login(DevContext& dev, OpenTrace& trace) noexcept { return LoginDialog(dev, trace).run(); }

}  // namespace mpdll
