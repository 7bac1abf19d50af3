// mpboard: runs the simulated board, or replays a recorded one, until SIGINT
// or SIGTERM. Prints one "ready" line with the bound addresses once it serves.
#include <csignal>
#include <cstdio>
#include <map>

#include <CLI/CLI.hpp>

#include "flash_store.h"
#include "replay_board.h"
#include "simulator.h"

namespace {

// The help's closing text: the flash parameters a fresh board holds.
std::string flash_names_footer() {
    std::string names;
    for (const std::string& name : mpboard::factory_flash_names()) names += (names.empty() ? "" : ", ") + name;
    return "Flash parameters of a fresh board (flash get NAME, flash set NAME VALUE; --flash-file keeps them):\n  " +
           names;
}

// The login program: its questions, timing, refusal and notices.
void add_login_options(CLI::App& app, mpboard::Options& o) {
    app.add_option("--user", o.user, "login name")->capture_default_str();
    app.add_option("--password", o.password, "login password")->capture_default_str();
    std::map<std::string, mpboard::LoginStyle> styles{
        {"standard", mpboard::LoginStyle::standard},           {"together", mpboard::LoginStyle::together},
        {"empty-reasks", mpboard::LoginStyle::empty_reasks},   {"none", mpboard::LoginStyle::none},
        {"password-only", mpboard::LoginStyle::password_only}, {"no-password", mpboard::LoginStyle::no_password}};
    app.add_option("--login", o.login,
                   "login style: standard (login prompt after the negotiation; empty name asks for a password), "
                   "together (negotiation and login prompt in one write), empty-reasks (together; empty name "
                   "asks again), none (no login), password-only (no user question), no-password (the user "
                   "name alone logs in)")
        ->transform(CLI::CheckedTransformer(styles, CLI::ignore_case))
        ->default_str("standard");
    app.add_option("--login-fail-delay", o.login_fail_delay_ms, "ms before \"Login incorrect\"")->capture_default_str();
    app.add_option("--negotiation-wait", o.negotiation_wait_ms, "ms to wait for the client's telnet option answers")
        ->capture_default_str();
    app.add_option("--prompt", o.prompt, "shell prompt")->capture_default_str();
    app.add_option("--banner", o.banner, "text the login program prints before its first question");
    app.add_option("--login-prompt-delay", o.login_prompt_delay_ms, "ms between the banner and \"login: \"");
    app.add_option("--login-start-delay", o.login_start_delay_ms,
                   "the login program starts no sooner than this many ms after the connection");
    app.add_option("--password-prompt-delay", o.password_prompt_delay_ms,
                   "ms between the echo of the user name and \"Password: \" (a separate write)");
    app.add_flag("--login-cr-nul", o.login_cr_nul,
                 "the login program ends its lines with CR NUL, in the same write as what follows");
    app.add_option("--user-question", o.user_question, "the login program's user question")->capture_default_str();
    app.add_option("--password-question", o.password_question, "the login program's password question")
        ->capture_default_str();
    app.add_flag("--echo-password", o.echo_password, "the terminal echoes the password as it is typed");
    app.add_flag("--wrong-password-asks-again", o.wrong_password_asks_again,
                 "a wrong password gets the password question again, without a refusal line");
    app.add_option("--refusal", o.refusal, "the line a wrong password gets")->capture_default_str();
    app.add_option("--refusal-pause", o.refusal_pause_ms, "ms between the refusal line and the next question");
    app.add_option("--login-notice", o.login_notice, "text shown after a good login, before the prompt");
    app.add_option("--login-notice-delay", o.login_notice_delay_ms, "ms between the login notice and the prompt");
}

// The faults a board can be made to show: lost prompts, chunked or late
// answers, lost or doubled datagrams, resets, refused logins, noise.
void add_fault_options(CLI::App& app, mpboard::Faults& f) {
    auto faults = "Faults";
    app.add_flag("--no-prompt", f.no_prompt, "never print the prompt after a command")->group(faults);
    app.add_option("--chunk-size", f.chunk_size, "write answers in chunks of this many bytes")->group(faults);
    app.add_option("--chunk-delay", f.chunk_delay_ms, "ms between chunks")->group(faults);
    app.add_flag("--split-prompt", f.split_prompt, "write the prompt in two writes")->group(faults);
    app.add_option("--answer-delay", f.answer_delay_ms, "ms before each answer")->group(faults);
    app.add_flag("--udp-drop", f.udp_drop, "never answer a UDP datagram")->group(faults);
    app.add_option("--udp-delay", f.udp_delay_ms, "ms before each UDP reply")->group(faults);
    app.add_flag("--udp-duplicate", f.udp_duplicate, "send every UDP reply twice")->group(faults);
    app.add_flag("--upper-case-ok", f.upper_case_ok, "UDP \"OK\" instead of \"ok\"")->group(faults);
    app.add_option("--reset-after", f.reset_after_bytes, "reset the telnet connection after this many answer bytes")
        ->group(faults);
    app.add_flag("--refuse-login", f.refuse_login, "every password is wrong")->group(faults);
    app.add_flag("--endless-negotiation", f.endless_negotiation, "keep negotiating, never ask for a login")
        ->group(faults);
    app.add_flag("--no-login-prompt", f.no_login_prompt, "after the negotiation, wait for a line before the login")
        ->group(faults);
    app.add_option("--flood", f.flood_bytes, "precede every answer's output with this many filler bytes")
        ->group(faults);
    app.add_flag("--garbage", f.garbage, "mix NUL and control bytes into answers")->group(faults);
    app.add_flag("--no-echo", f.no_echo, "do not echo command lines")->group(faults);
    app.add_option("--seed", f.seed, "seed for the garbage bytes")->group(faults)->capture_default_str();
}

// The readings that make a board fail a station's limits.
void add_reading_options(CLI::App& app, mpboard::Measurements& m) {
    auto group = "Readings (make a board fail a test limit)";
    app.add_option("--thermal", m.thermal, "the thermal meter reads N at rest (default: the flash THER value)")
        ->type_name("N")
        ->check(CLI::Range(0, 255))
        ->group(group);
    app.add_option("--tssi", m.tssi, "the TSSI reads N while transmitting (default: 40 + path A power / 2)")
        ->type_name("N")
        ->check(CLI::Range(0, 255))
        ->group(group);
    app.add_option("--packet-error-rate", m.packet_error_rate,
                   "this share of the frames is lost on transmit (TX Fail) and damaged on receive (CRC error); "
                   "default: 3% on transmit, 2% of the tester's frames")
        ->type_name("PERCENT")
        ->check(CLI::Range(0, 100))
        ->group(group);
}

}  // namespace

int main(int argc, char** argv) {
    mpboard::Options o;
    bool no_serial = false;
    CLI::App app{"mpboard: a simulated wireless router board in radio test mode (telnet, UDP, serial console)"};

    app.add_option("--listen", o.listen_address, "telnet listen address")->capture_default_str();
    app.add_option("--telnet-port", o.telnet_port, "telnet port (0 = any free port, -1 = no telnet)")
        ->capture_default_str();
    app.add_option("--udp-address", o.udp_address, "UDP command endpoint address")->capture_default_str();
    app.add_option("--udp-port", o.udp_port, "UDP port (0 = any free port, -1 = no UDP)")->capture_default_str();
    app.add_flag("--no-serial", no_serial, "no serial console");
    app.add_option("--serial-link", o.serial_link, "make a symlink to the console's pseudo-terminal here");
    app.add_flag("--serial-login", o.serial_login, "ask for a login on the serial console too");
    add_login_options(app, o);
    app.add_option("--if-name", o.if_name, "wireless interface name")->capture_default_str();
    app.add_option("--tool", o.tool, "wireless tool word (as typed on the board, e.g. a path)")->capture_default_str();
    app.add_option("--chip-version", o.chip_version, "chipVersion in /proc/IF/mib_rf")->capture_default_str();
    app.add_option("--mimo", o.mimo_support, "MIMO_TR_hw_support in /proc/IF/mib_rf")->capture_default_str();
    app.add_flag("--single-write", o.single_write, "one write per answer with TCP_NODELAY");
    app.add_option("--flash-file", o.flash_file, "load and save flash parameters here");
    app.add_option("--log", o.log_file, "transcript file (\"-\" = standard error)");
    std::string replay_file;
    double replay_speed = 1;
    app.add_option("--replay", replay_file,
                   "be the board recorded in FILE (mpctl --record, MPDLL_RECORD): its login dialog, echo, line "
                   "ends and answers with their timing; the endpoint options still apply")
        ->check(CLI::ExistingFile);
    app.add_option("--replay-speed", replay_speed, "play the recorded delays this many times faster (0: no delays)")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();

    add_fault_options(app, o.faults);
    add_reading_options(app, o.measurements);
    app.footer(flash_names_footer());

    CLI11_PARSE(app, argc, argv);
    o.serial = !no_serial;

    // The signals are taken synchronously below; every thread inherits the mask.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::signal(SIGPIPE, SIG_IGN);

    const auto serve = [&](auto& board) {
        try {
            board.start();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            return 1;
        }
        std::string ready = "ready";
        if (board.telnet_port() >= 0)
            ready += " telnet=" + o.listen_address + ":" + std::to_string(board.telnet_port());
        if (board.udp_port() >= 0) ready += " udp=" + o.udp_address + ":" + std::to_string(board.udp_port());
        if (!board.serial_path().empty()) ready += " serial=" + board.serial_path();
        std::printf("%s\n", ready.c_str());
        std::fflush(stdout);

        int received = 0;
        sigwait(&signals, &received);
        board.stop();
        return 0;
    };
    if (replay_file.empty()) {
        mpboard::Simulator simulator(o);
        return serve(simulator);
    }
    try {
        mpboard::ReplayBoard replay(mpboard::ReplayScript::load(replay_file), o, replay_speed);
        return serve(replay);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
