// One terminal session on the board, over telnet or the serial console: the
// option negotiation (telnet), the login program, then the shell that echoes
// each line, runs it and prints its output and the prompt, with the fault
// switches applied to what it writes.
#pragma once

#include <chrono>
#include <random>
#include <string>

#include "channel.h"
#include "line_editor.h"
#include "session_host.h"
#include "telnet_options.h"

namespace mpboard {

class Session {
  public:
    // `connection`: 0 for the serial console, 1, 2, ... for telnet connections.
    Session(SessionHost& host, Channel& channel, int connection);
    // Serves until the peer leaves, the session ends or the simulator stops.
    void run();

  private:
    enum class Phase { negotiating, endless, awaiting_line, user, password, shell, closed };
    using Clock = std::chrono::steady_clock;

    void open();
    void begin_login();
    void ask_first_question();
    void take(const std::string& bytes);
    void handle_data(const std::string& data);
    // echoed: what the terminal still has to write before the question.
    void on_user(const std::string& name, const std::string& echoed);
    // Each returns true when the program flushed its pending input.
    bool on_password(const std::string& password);
    void log_in();
    void refuse();
    bool on_shell_line(const std::string& line);
    void answer(const std::string& typed_line, const std::string& output);
    bool emit(std::string_view bytes, const Faults& faults);
    bool pause(int ms);
    void send(std::string_view bytes);
    void start_shell();
    std::string login_line_end() const;
    int timer_ms() const;
    void on_timer();
    std::string filler(std::size_t size) const;
    std::string garbage(std::uint32_t seed);
    Faults faults() const { return host_.faults_for(connection_); }
    bool telnet() const { return channel_.kind() == Channel::Kind::socket; }

    SessionHost& host_;
    const Options& options_;
    Channel& channel_;
    int connection_;
    Phase phase_ = Phase::shell;
    TelnetOptions telnet_;
    LineEditor editor_;
    std::string echo_;  // typed characters not yet echoed
    std::string user_;
    int failed_logins_ = 0;
    bool line_seen_ = false;
    Clock::time_point timer_{};  // negotiation deadline or next endless request
    Clock::time_point connected_ = Clock::now();
    std::size_t answer_bytes_ = 0;
    std::mt19937 random_;
    std::uint32_t seeded_with_;
};

}  // namespace mpboard
