// What the board has said since the login's last line (the negotiation and
// NUL bytes already left out), and how it ends: with the shell prompt, a
// question for the user name or the password, a refusal, or none of them.
// Only the end counts: a prompt or a question inside a banner, an echo or a
// notice does not.
#pragma once

#include <array>
#include <string_view>

#include "text/buffer_sizes.h"

namespace mpdll {

enum class LoginEnding {
    nothing,   // none of those below (yet)
    prompt,    // the shell prompt: logged in, whatever notices came before
    user,      // "login:" or "username:", any case, blanks and colours after it allowed
    password,  // "password:", the same way
    refusal,   // the last line says "incorrect", "denied" or "failed" (not a notice about earlier logins)
};

class LoginText {
  public:
    // secret: the password; a cut through it never leaves a piece of it.
    explicit LoginText(std::string_view secret) noexcept : secret_(secret) {}

    // When the text grows past its room, the oldest part goes.
    void append(std::string_view data) noexcept;
    void clear() noexcept { length_ = 0; }
    std::string_view text() const noexcept { return {text_.data(), length_}; }
    // How the text ends; an empty prompt never ends it.
    LoginEnding ending(std::string_view prompt) const noexcept;
    // Masks the password in the text, which is then only shown.
    void mask_for_showing() noexcept;

  private:
    std::string_view secret_;
    std::array<char, kResponseSize - 1> text_{};
    std::size_t length_ = 0;
};

}  // namespace mpdll
