// What the board has said during one phase of the telnet login.
#include "connection/login_text.h"

#include <algorithm>
#include <cstring>

#include "connection/prompt_search.h"
#include "connection/response_text.h"
#include "text/bounded_text.h"

namespace mpdll {
namespace {
constexpr std::string_view kLogin = "LOGIN", kPassword = "PASS", kLastLogin = "LASTLOGIN";
}  // namespace

void LoginText::append(std::string_view data) noexcept {
    const std::size_t room = text_.size() - 1;
    const std::size_t added = std::min(data.size(), room);
    const std::size_t keep = std::min(length_, room - added);
    std::memmove(text_.data(), text_.data() + length_ - keep, keep);
    std::memcpy(text_.data() + keep, data.data() + data.size() - added, added);
    length_ = keep + added;
    text_[length_] = '\0';
}

void LoginText::mask(std::string_view secret) noexcept { mask_secret(std::span<char>(text_.data(), length_), secret); }

std::string_view LoginText::normal(std::array<char, kResponseSize>& work) const noexcept {
    return {work.data(), normal_form(text(), work)};
}

bool LoginText::asks_for_login() const noexcept {
    std::array<char, kResponseSize> work;
    const std::string_view text = normal(work);
    const std::size_t lastPrefix = kLastLogin.size() - kLogin.size();
    for (std::size_t at = text.find(kLogin); at != std::string_view::npos; at = text.find(kLogin, at + 1)) {
        const bool partOfLastLogin = at >= lastPrefix && text.substr(at - lastPrefix, kLastLogin.size()) == kLastLogin;
        if (!partOfLastLogin) return true;
    }
    return false;
}

bool LoginText::asks_for_password() const noexcept {
    std::array<char, kResponseSize> work;
    return normal(work).find(kPassword) != std::string_view::npos;
}

bool LoginText::ends_with_prompt(std::string_view prompt) const noexcept {
    return mpdll::ends_with_prompt(text(), prompt);
}

}  // namespace mpdll
