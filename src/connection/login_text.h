// What the board has said during one phase of the telnet login, as data
// (the negotiation and NUL bytes already left out), and the questions the
// login asks of it: is the board asking for the login, for the password,
// has the shell prompt ended what it said.
#pragma once

#include <array>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll {

class LoginText {
  public:
    // When the text grows past its room, the oldest part goes.
    void append(std::string_view data) noexcept;
    // Overwrites every occurrence of secret with '*'.
    void mask(std::string_view secret) noexcept;
    std::string_view text() const noexcept { return {text_.data(), length_}; }

    // A "LOGIN" in the normal form that is not part of "LASTLOGIN" (as in
    // "Last login: ..."): the login question, or after the password the
    // login asked again, a refusal.
    bool asks_for_login() const noexcept;
    // "PASS" in the normal form.
    bool asks_for_password() const noexcept;
    // The text ends with the prompt: the shell is ready. A prompt inside a
    // banner or the middle of a burst does not count, nor an empty prompt.
    bool ends_with_prompt(std::string_view prompt) const noexcept;

  private:
    // The normal form of the text in the caller's work area.
    std::string_view normal(std::array<char, kResponseSize>& work) const noexcept;

    std::array<char, kResponseSize> text_{};
    std::size_t length_ = 0;
};

}  // namespace mpdll
