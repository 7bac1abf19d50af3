// Telnet option handling on the board's side.
#include "telnet_options.h"

namespace mpboard {
using namespace telnet;

namespace {
std::string sequence(unsigned char verb, unsigned char option) {
    return {static_cast<char>(IAC), static_cast<char>(verb), static_cast<char>(option)};
}
}  // namespace

std::string TelnetOptions::opening() {
    echo_pending_ = sga_pending_ = ttype_pending_ = true;
    return sequence(WILL, kEcho) + sequence(WILL, kSga) + sequence(DO, kTtype);
}

std::string TelnetOptions::another_request() {
    // Options nobody needs here, asked for one after the other.
    unsigned char option = next_extra_option_;
    next_extra_option_ = option >= 40 ? 5 : option + 1;
    return sequence(DO, option);
}

std::string TelnetOptions::take(std::string_view bytes, std::string& reply) {
    std::string data;
    for (char ch : bytes) {
        auto c = static_cast<unsigned char>(ch);
        switch (state_) {
            case State::data:
                if (c == IAC)
                    state_ = State::iac;
                else
                    data += ch;
                break;
            case State::iac:
                if (c == IAC) {
                    data += ch;
                    state_ = State::data;
                } else if (c == WILL || c == WONT || c == DO || c == DONT) {
                    verb_ = c;
                    state_ = State::option;
                } else if (c == SB) {
                    sub_.clear();
                    state_ = State::sub;
                } else {
                    state_ = State::data;  // NOP, GA, AYT and the like: nothing to do
                }
                break;
            case State::option:
                command(verb_, c, reply);
                state_ = State::data;
                break;
            case State::sub:
                if (c == IAC)
                    state_ = State::sub_iac;
                else
                    sub_ += ch;
                break;
            case State::sub_iac:
                if (c == SE) {
                    subnegotiation();
                    state_ = State::data;
                } else {
                    sub_ += ch;  // IAC IAC inside a subnegotiation
                    state_ = State::sub;
                }
                break;
        }
    }
    return data;
}

void TelnetOptions::command(unsigned char verb, unsigned char option, std::string& reply) {
    // Our own options: kEcho and SUPPRESS-GO-AHEAD, which we offered.
    if (option == kEcho || option == kSga) {
        bool& pending = option == kEcho ? echo_pending_ : sga_pending_;
        bool& on = option == kEcho ? echo_on_ : sga_on_;
        if (verb == DO) {
            if (!pending && !on) reply += sequence(WILL, option);
            pending = false;
            on = true;
            return;
        }
        if (verb == DONT) {
            if (!pending && on) reply += sequence(WONT, option);
            pending = false;
            on = false;
            return;
        }
    }
    if (option == kTtype && (verb == WILL || verb == WONT)) {
        if (verb == WILL) {
            if (!ttype_pending_) reply += sequence(DO, kTtype);
            reply += std::string{static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(kTtype), 1,
                                 static_cast<char>(IAC), static_cast<char>(SE)};
            ttype_awaited_ = true;
        }
        ttype_pending_ = false;
        return;
    }
    if (option == kSga && verb == WILL) {
        if (!client_sga_) reply += sequence(DO, kSga);
        client_sga_ = true;
        return;
    }
    // Everything else is refused once; answers to refusals need no reply.
    if (verb == DO)
        reply += sequence(WONT, option);
    else if (verb == WILL)
        reply += sequence(DONT, option);
}

void TelnetOptions::subnegotiation() {
    if (sub_.size() >= 2 && static_cast<unsigned char>(sub_[0]) == kTtype && sub_[1] == 0) {
        terminal_type_ = sub_.substr(2);
        ttype_awaited_ = false;
    }
}

}  // namespace mpboard
