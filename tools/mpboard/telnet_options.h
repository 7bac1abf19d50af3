// The board's side of telnet: strips option commands out of the client's
// bytes and answers them, after opening with WILL kEcho, WILL SUPPRESS-GO-AHEAD
// and DO TERMINAL-TYPE.
#pragma once

#include <string>
#include <string_view>

namespace mpboard {

namespace telnet {
inline constexpr unsigned char IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
inline constexpr unsigned char kEcho = 1, kSga = 3, kTtype = 24;
}  // namespace telnet

class TelnetOptions {
  public:
    // The negotiation the server opens a session with.
    std::string opening();
    // One more request, for a server that never stops negotiating.
    std::string another_request();

    // Takes received bytes: returns the plain data in them, and appends what
    // the server answers to `reply`. Commands split across reads are kept.
    std::string take(std::string_view bytes, std::string& reply);

    // The client has answered every request of the opening.
    bool settled() const { return !echo_pending_ && !sga_pending_ && !ttype_pending_ && !ttype_awaited_; }
    const std::string& terminal_type() const { return terminal_type_; }

  private:
    void command(unsigned char verb, unsigned char option, std::string& reply);
    void subnegotiation();

    enum class State { data, iac, option, sub, sub_iac };
    State state_ = State::data;
    unsigned char verb_ = 0;
    std::string sub_;
    bool echo_pending_ = false, sga_pending_ = false, ttype_pending_ = false, ttype_awaited_ = false;
    bool echo_on_ = false, sga_on_ = false, client_sga_ = false;
    unsigned char next_extra_option_ = 5;
    std::string terminal_type_;
};

}  // namespace mpboard
