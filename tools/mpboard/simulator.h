// mpboard: a simulated wireless router board in test mode.
//
// One Simulator serves a telnet shell, a UDP command endpoint and a serial
// console on a pseudo-terminal at the same time, all sharing one board state.
// Tests start it in-process; the mpboard program wraps it with options.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace mpboard {

// How the board's login program behaves on telnet and serial.
enum class LoginStyle {
    standard,       // "login: " / "Password: "; wrong password: CR LF now, "Login incorrect" later
    together,       // negotiation and "login: " arrive in one write
    empty_reasks,   // an empty user name is answered with "login: " again
    none,           // no login: the shell prompt right after the negotiation
    password_only,  // only the password question, no user question
    no_password,    // the user question only: the right name starts the shell
};

struct Faults {
    bool no_prompt = false;            // never print the shell prompt after a command
    int chunk_size = 0;                // > 0: write answers in chunks of this many bytes
    int chunk_delay_ms = 0;            // pause between chunks
    bool split_prompt = false;         // write the prompt in two writes
    int answer_delay_ms = 0;           // delay before each answer
    bool udp_drop = false;             // never answer a UDP datagram
    int udp_delay_ms = 0;              // answer UDP datagrams this late
    bool udp_duplicate = false;        // send every UDP reply twice
    bool upper_case_ok = false;        // UDP "OK" instead of "ok"
    int reset_after_bytes = -1;        // >= 0: reset the connection after this many answer bytes
    bool refuse_login = false;         // every password is wrong
    bool endless_negotiation = false;  // keep sending option negotiation, never ask for a login
    bool no_login_prompt = false;      // send negotiation, then nothing until a line arrives
    std::size_t flood_bytes = 0;       // > 0: every answer is preceded by this many filler bytes
    bool garbage = false;              // mix garbage and NUL bytes into answers (before the prompt)
    bool no_echo = false;              // do not echo command lines
    std::uint32_t seed = 1;            // for anything random
};

// What the radio measures, set where a test wants a board outside its
// limits; a negative value keeps the board's own behaviour.
struct Measurements {
    int thermal = -1;            // the thermal meter's reading at rest (own: the flash THER value)
    int tssi = -1;               // the TSSI while transmitting (own: 40 + path A power / 2)
    int packet_error_rate = -1;  // percent of the frames lost on transmit and damaged on receive
                                 // (own: 3% on transmit, each air source's own share on receive)
};

struct Options {
    std::string listen_address = "127.0.0.1";
    int telnet_port = 2323;  // 0 = ephemeral; < 0 = no telnet
    std::string udp_address = "127.0.0.1";
    int udp_port = 9034;      // 0 = ephemeral; < 0 = no UDP
    bool serial = true;       // open a pseudo-terminal console
    std::string serial_link;  // if set, a symlink to the console's path
    std::string user = "root";
    std::string password = "root";
    LoginStyle login = LoginStyle::standard;
    int login_fail_delay_ms = 3000;
    std::string prompt = "# ";
    std::string if_name = "wlan0";
    std::string tool = "iwpriv";
    std::string chip_version = "b";
    std::string mimo_support = "2";  // MIMO_TR_hw_support value
    bool single_write = false;       // one write per answer with TCP_NODELAY (default: separate writes, Nagle on)
    std::string flash_file;          // load and save flash parameters here, if set
    std::string log_file;            // transcript; empty = none ("-" = stderr)
    Faults faults;
    Measurements measurements;
    bool serial_login = false;       // ask for a login on the serial console too (default: a bare shell)
    int negotiation_wait_ms = 1000;  // how long telnet waits for the client's option answers before the login
    // The login program on telnet and the console:
    std::string banner;                // printed when it starts, before its first question
    int login_prompt_delay_ms = 0;     // pause between the banner and "login: "
    int login_start_delay_ms = 0;      // it starts no sooner than this long after the connection
    int password_prompt_delay_ms = 0;  // pause between the echo of the name and "Password: "
    bool login_cr_nul = false;         // it ends its lines with telnet's bare CR (CR NUL), written with what follows
    std::string user_question = "login: ";
    std::string password_question = "Password: ";
    bool echo_password = false;               // the terminal echoes the password as it is typed
    bool wrong_password_asks_again = false;   // a wrong password gets the password question again, no refusal text
    std::string refusal = "Login incorrect";  // the line a wrong password gets
    int refusal_pause_ms = 0;                 // pause between that line and the next question
    std::string login_notice;                 // after a good login, before the shell (notices, warnings)
    int login_notice_delay_ms = 0;            // pause between the notice and the prompt
};

// One answer the login program read: the question it had asked and the
// line typed (the password too: this is the board's own record).
struct LoginAnswer {
    std::string question;
    std::string answer;
    bool operator==(const LoginAnswer&) const = default;
};

// The frames on the air that an RX test counts. At every mp_query while RX
// runs, each source below delivers its frames once; a frame counts when it
// matches every address filter set (RX OK when intact, CRC error when not).
// Starting reception again (mp_arx start) zeroes the receive counters.
// Transmitting in packet mode with a packet count sends the whole burst by
// the next mp_query: TX OK and TX Fail then add up to the count. Without a
// count, each mp_query adds tx_ok_per_query to TX OK and tx_fail_per_query
// to TX Fail.
struct AirSource {
    const char* sa;
    const char* da;
    const char* bssid;
    int intact;   // frames per query that arrive intact
    int damaged;  // frames per query that fail their CRC
};
inline constexpr AirSource kTester{"02:00:00:00:00:01", "02:00:00:00:00:02", "02:00:00:00:00:01", 98, 2};
inline constexpr AirSource kNeighbour{"02:00:00:00:00:99", "ff:ff:ff:ff:ff:ff", "02:00:00:00:00:99", 19, 1};
inline constexpr int tx_ok_per_query = 97;
inline constexpr int tx_fail_per_query = 3;

struct Counters {
    std::int64_t tx_ok = 0, tx_fail = 0, rx_ok = 0, crc_error = 0;
};

class Simulator {
  public:
    explicit Simulator(Options options);
    ~Simulator();  // stops
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Binds and starts serving on a background thread; throws on failure.
    void start();
    void stop();

    int telnet_port() const;  // the bound port
    int udp_port() const;
    std::string serial_path() const;  // the console's device path

    // Every command line the board received, in order, over any transport
    // (login names and passwords excluded), as the shell saw it (no line end).
    std::vector<std::string> commands() const;
    void clear_commands();
    // Every answer the login program read over any transport, in order.
    std::vector<LoginAnswer> login_answers() const;

    // Board state, for tests.
    Counters counters() const;
    std::string flash_value(const std::string& name) const;  // "" when unknown
    void set_flash_value(const std::string& name, const std::string& value);
    bool test_mode() const;  // mp_start seen and not stopped
    // Change fault switches while running.
    void set_faults(const Faults& faults);
    // Fault switches for one telnet connection only (numbered from 1 in
    // accept order), in place of the global ones.
    void set_connection_faults(int connection, const Faults& faults);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace mpboard
