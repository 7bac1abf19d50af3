// Login program and shell of the simulated board, as one terminal session.
#include "session.h"

#include <algorithm>

namespace mpboard {
namespace {

constexpr int kEndlessIntervalMs = 500;
constexpr int kSplitPromptPauseMs = 20;
constexpr int kMaxLoginFailures = 3;
constexpr const char* kLastLogin = "Last login: Sat Mar  1 08:00:00 2025 on ttyS0\r\n";

std::string with_crlf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + 16);
    for (char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

}  // namespace

Session::Session(SessionHost& host, Channel& channel, int connection)
    : host_(host), options_(host.options()), channel_(channel), connection_(connection), seeded_with_(faults().seed) {
    random_.seed(seeded_with_);
}

void Session::run() {
    open();
    while (phase_ != Phase::closed && !host_.stop().requested()) {
        std::string bytes;
        switch (channel_.read(timer_ms(), bytes)) {
            case Channel::ReadResult::closed:
                return;
            case Channel::ReadResult::timeout:
                on_timer();
                break;
            case Channel::ReadResult::data:
                take(bytes);
                break;
        }
    }
}

void Session::send(std::string_view bytes) {
    if (phase_ != Phase::closed && !channel_.send(bytes)) phase_ = Phase::closed;
}

bool Session::pause(int ms) {
    if (ms <= 0) return true;
    if (!host_.stop().sleep_ms(ms)) phase_ = Phase::closed;
    return phase_ != Phase::closed;
}

void Session::open() {
    Faults f = faults();
    if (!telnet()) {
        if (options_.serial_login) {
            send("\r\n");
            ask_first_question();
        }
        return;
    }
    std::string opening = telnet_.opening();
    if (f.endless_negotiation) {
        send(opening);
        phase_ = Phase::endless;
        timer_ = Clock::now() + std::chrono::milliseconds(kEndlessIntervalMs);
        return;
    }
    bool login_together = options_.login == LoginStyle::together || options_.login == LoginStyle::empty_reasks;
    if (login_together && !f.no_login_prompt) {
        send(opening + options_.user_question);
        phase_ = Phase::user;
        return;
    }
    send(opening);
    phase_ = Phase::negotiating;
    timer_ = Clock::now() + std::chrono::milliseconds(options_.negotiation_wait_ms);
}

int Session::timer_ms() const {
    if (phase_ != Phase::negotiating && phase_ != Phase::endless) return -1;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(timer_ - Clock::now()).count();
    return static_cast<int>(std::max<long long>(left, 0));
}

void Session::on_timer() {
    if (Clock::now() < timer_) return;
    if (phase_ == Phase::negotiating) {
        begin_login();
    } else if (phase_ == Phase::endless) {
        send(telnet_.another_request());
        timer_ = Clock::now() + std::chrono::milliseconds(kEndlessIntervalMs);
    }
}

// The login program starts: like a real one it flushes what was typed
// before. From then on the terminal keeps what is typed ahead: each line is
// the answer to the next question, whenever the question comes.
void Session::begin_login() {
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - connected_).count();
    if (!pause(options_.login_start_delay_ms - static_cast<int>(since))) return;
    editor_.discard();
    echo_.clear();
    if (faults().no_login_prompt && !line_seen_) {
        phase_ = Phase::awaiting_line;
        return;
    }
    if (options_.login == LoginStyle::none) {
        send(options_.banner);
        start_shell();
        return;
    }
    if (!options_.banner.empty()) {
        send(options_.banner);
        if (!pause(options_.login_prompt_delay_ms)) return;
    }
    ask_first_question();
}

// The password alone, or the user name first.
void Session::ask_first_question() {
    if (options_.login == LoginStyle::password_only) {
        user_ = options_.user;
        send(options_.password_question);
        phase_ = Phase::password;
        return;
    }
    send(options_.user_question);
    phase_ = Phase::user;
}

std::string Session::login_line_end() const { return options_.login_cr_nul ? std::string("\r\0", 2) : "\r\n"; }

void Session::start_shell() {
    phase_ = Phase::shell;
    send(options_.prompt);
}

void Session::take(const std::string& bytes) {
    if (!telnet()) {
        handle_data(bytes);
        return;
    }
    std::string reply;
    std::string data = telnet_.take(bytes, reply);
    if (!reply.empty()) send(reply);
    if (phase_ == Phase::negotiating && telnet_.settled()) {
        begin_login();
        return;  // data that came with the answers was typed before the login started
    }
    handle_data(data);
}

void Session::handle_data(const std::string& data) {
    if (phase_ == Phase::negotiating || phase_ == Phase::endless) return;
    for (const LineEvent& event : editor_.feed(data)) {
        if (phase_ == Phase::closed) return;
        bool echoing = phase_ == Phase::user || (phase_ == Phase::password && options_.echo_password) ||
                       (phase_ == Phase::shell && !faults().no_echo);
        bool flushed = false;
        switch (event.kind) {
            case LineEvent::Kind::typed:
                if (echoing) echo_ += event.text;
                break;
            case LineEvent::Kind::erased:
                if (echoing) echo_ += "\b \b";
                break;
            case LineEvent::Kind::interrupt:
                send(echo_ + "^C\r\n" + (phase_ == Phase::shell ? options_.prompt : std::string()));
                echo_.clear();
                break;
            case LineEvent::Kind::end_of_input:
                if (telnet()) phase_ = Phase::closed;
                break;
            case LineEvent::Kind::line:
                line_seen_ = true;
                if (phase_ == Phase::awaiting_line) {
                    begin_login();
                    flushed = true;
                } else if (phase_ == Phase::user) {
                    std::string echoed = echo_ + login_line_end();
                    echo_.clear();
                    if (options_.password_prompt_delay_ms > 0 || !options_.login_cr_nul) {
                        send(echoed);
                        echoed.clear();
                        if (!pause(options_.password_prompt_delay_ms)) return;
                    }
                    on_user(event.text, echoed);
                } else if (phase_ == Phase::password) {
                    flushed = on_password(event.text);
                } else if (phase_ == Phase::shell) {
                    flushed = on_shell_line(event.text);
                }
                break;
        }
        if (flushed) {
            editor_.discard();
            echo_.clear();
            return;
        }
    }
    if (!echo_.empty()) {
        send(echo_);  // a person typing: characters are echoed as they come
        echo_.clear();
    }
}

void Session::on_user(const std::string& name, const std::string& echoed) {
    host_.record_login_answer(options_.user_question, name);
    if (name.empty() && options_.login == LoginStyle::empty_reasks) {
        send(echoed + options_.user_question);
        return;
    }
    user_ = name;
    if (options_.login != LoginStyle::no_password) {
        send(echoed + options_.password_question);
        phase_ = Phase::password;
        return;
    }
    send(echoed);
    if (name == options_.user) {
        log_in();
    } else if (pause(options_.login_fail_delay_ms)) {
        refuse();
    }
}

bool Session::on_password(const std::string& password) {
    host_.record_login_answer(options_.password_question, password);
    send(echo_ + login_line_end());
    echo_.clear();
    if (!faults().refuse_login && user_ == options_.user && password == options_.password) {
        log_in();
        return false;  // input typed after the password goes to the shell
    }
    if (!pause(options_.login_fail_delay_ms)) return true;
    refuse();
    return false;
}

// The greeting, the notices, then the shell.
void Session::log_in() {
    send(std::string("\r\nmpboard: simulated board, interface ") + options_.if_name + "\r\n" + kLastLogin +
         with_crlf(options_.login_notice));
    if (!pause(options_.login_notice_delay_ms)) return;
    start_shell();
}

// A wrong login: asked again, or after the last try telnet hangs up.
void Session::refuse() {
    const bool lastTry = ++failed_logins_ >= kMaxLoginFailures;
    if (lastTry) failed_logins_ = 0;
    const std::string refusal = options_.wrong_password_asks_again ? "" : options_.refusal + login_line_end();
    if (lastTry && telnet()) {
        send(refusal);
        phase_ = Phase::closed;
    } else if (options_.wrong_password_asks_again && phase_ == Phase::password) {
        send(options_.password_question);
    } else {
        send(refusal);
        if (pause(options_.refusal_pause_ms)) ask_first_question();
    }
}

bool Session::on_shell_line(const std::string& line) {
    std::string typed = echo_;
    echo_.clear();
    if (line == "exit" || line == "logout") {
        send(typed + "\r\n");
        if (telnet()) {
            phase_ = Phase::closed;
        } else if (options_.serial_login) {
            ask_first_question();
        } else {
            send(options_.prompt);
        }
        return true;
    }
    std::string output;
    if (!line.empty()) {
        host_.record_command(line);
        output = host_.board().run(line).output;
    }
    answer(typed, output);
    return false;
}

// Writes one answer: the echo of the line, the command's output and the
// prompt, as separate writes or as one, with the fault switches applied.
void Session::answer(const std::string& typed_line, const std::string& output) {
    Faults f = faults();
    std::string echo = f.no_echo ? std::string() : typed_line + "\r\n";
    std::string body;
    if (f.flood_bytes > 0) body += filler(f.flood_bytes);
    body += with_crlf(output);
    if (f.garbage) body += garbage(f.seed);
    std::string prompt = f.no_prompt ? std::string() : options_.prompt;
    std::string prompt_tail;
    if (f.split_prompt && prompt.size() >= 2) {
        prompt_tail = prompt.substr(prompt.size() / 2);
        prompt.resize(prompt.size() / 2);
    }
    answer_bytes_ = 0;
    if (options_.single_write) {
        if (!pause(f.answer_delay_ms) || !emit(echo + body + prompt, f)) return;
    } else {
        if (!emit(echo, f) || !pause(f.answer_delay_ms) || !emit(body, f) || !emit(prompt, f)) return;
    }
    if (!prompt_tail.empty() && pause(f.chunk_delay_ms > 0 ? f.chunk_delay_ms : kSplitPromptPauseMs))
        emit(prompt_tail, f);
}

bool Session::emit(std::string_view bytes, const Faults& f) {
    if (bytes.empty()) return phase_ != Phase::closed;
    if (f.reset_after_bytes >= 0 && answer_bytes_ + bytes.size() > static_cast<std::size_t>(f.reset_after_bytes)) {
        std::size_t room = static_cast<std::size_t>(f.reset_after_bytes) - answer_bytes_;
        send(bytes.substr(0, room));
        answer_bytes_ += room;
        if (telnet()) {
            channel_.reset();
            phase_ = Phase::closed;
        }
        return false;  // a terminal line simply goes silent for the rest of this answer
    }
    answer_bytes_ += bytes.size();
    std::size_t chunk = f.chunk_size > 0 ? static_cast<std::size_t>(f.chunk_size) : bytes.size();
    for (std::size_t at = 0; at < bytes.size() && phase_ != Phase::closed; at += chunk) {
        if (at > 0 && !pause(f.chunk_delay_ms)) return false;
        send(bytes.substr(at, chunk));
    }
    return phase_ != Phase::closed;
}

std::string Session::filler(std::size_t size) const {
    char fill = 'x';
    for (char candidate : std::string("x.-=~")) {
        if (options_.prompt.find(candidate) == std::string::npos) {
            fill = candidate;
            break;
        }
    }
    std::string line(62, fill);
    line += "\r\n";
    std::string out;
    out.reserve(size);
    while (out.size() < size) out.append(line, 0, std::min(line.size(), size - out.size()));
    return out;
}

// Line noise: NUL bytes and control or high bytes, never printable text, a
// line end or a telnet command byte, so it cannot fake a prompt.
std::string Session::garbage(std::uint32_t seed) {
    if (seed != seeded_with_) {
        seeded_with_ = seed;  // a new seed restarts the sequence
        random_.seed(seed);
    }
    static const std::string alphabet = [] {
        std::string bytes;
        for (int c = 1; c < 256; ++c)
            if ((c < 32 && c != '\r' && c != '\n') || (c >= 128 && c < 255)) bytes += static_cast<char>(c);
        return bytes;
    }();
    std::string out;
    for (int i = 0; i < 16; ++i)
        out +=
            i % 4 == 0 ? '\0' : alphabet[std::uniform_int_distribution<std::size_t>(0, alphabet.size() - 1)(random_)];
    return out;
}

}  // namespace mpboard
