// What the board has said during one phase of the telnet login, with the
// negotiation left out, and the questions the login asks of it: is the
// board asking for the login, for the password, has it refused the login,
// has the shell prompt shown up.
#pragma once

#include <array>
#include <string_view>

#include "connection/buffer_sizes.h"

namespace mpdll {

class LoginText {
public:
    // Telnet bytes as received: the negotiation in them is left out. When
    // the text grows past its room, the oldest part goes.
    void append_received(std::string_view received) noexcept;
    void clear() noexcept { length_ = 0; }
    std::string_view text() const noexcept { return {text_.data(), length_}; }

    // "LOGIN" in the normal form.
    bool asks_for_login() const noexcept;
    // "PASS" in the normal form.
    bool asks_for_password() const noexcept;
    // A "LOGIN" that is not part of "LASTLOGIN" (as in "Last login: ...").
    bool refuses_login() const noexcept;
    bool shows_prompt(std::string_view prompt) const noexcept;

private:
    // The normal form of the text in the caller's work area.
    std::string_view normal(std::array<char, kResponseSize>& work) const noexcept;

    std::array<char, kResponseSize> text_{};
    std::size_t length_ = 0;
};

}  // namespace mpdll
