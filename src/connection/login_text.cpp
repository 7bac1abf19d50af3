// What the board has said during one phase of the telnet login.
#include "connection/login_text.h"

#include <algorithm>
#include <cstring>

#include "connection/prompt_search.h"
#include "connection/response_text.h"
#include "connection/telnet_negotiation.h"

namespace mpdll {
namespace {
constexpr std::string_view kLogin = "LOGIN", kPassword = "PASS", kLastLogin = "LASTLOGIN";
}  // namespace

void LoginText::append_received(std::string_view received) noexcept {
    std::array<char, kResponseSize> data{};
    const std::size_t length = telnet::data_text(received, data);
    const std::size_t room = text_.size() - 1;
    const std::size_t keep = std::min(length_, room - std::min(length, room));
    std::memmove(text_.data(), text_.data() + length_ - keep, keep);
    const std::size_t added = std::min(length, room);
    std::memcpy(text_.data() + keep, data.data() + length - added, added);
    length_ = keep + added;
    text_[length_] = '\0';
}

std::string_view LoginText::normal(std::array<char, kResponseSize>& work) const noexcept {
    return {work.data(), normal_form(text(), work)};
}

bool LoginText::asks_for_login() const noexcept {
    std::array<char, kResponseSize> work;
    return normal(work).find(kLogin) != std::string_view::npos;
}

bool LoginText::asks_for_password() const noexcept {
    std::array<char, kResponseSize> work;
    return normal(work).find(kPassword) != std::string_view::npos;
}

bool LoginText::refuses_login() const noexcept {
    std::array<char, kResponseSize> work;
    const std::string_view text = normal(work);
    const std::size_t lastPrefix = kLastLogin.size() - kLogin.size();
    for (std::size_t at = text.find(kLogin); at != std::string_view::npos; at = text.find(kLogin, at + 1)) {
        const bool partOfLastLogin = at >= lastPrefix && text.substr(at - lastPrefix, kLastLogin.size()) == kLastLogin;
        if (!partOfLastLogin) return true;
    }
    return false;
}

bool LoginText::shows_prompt(std::string_view prompt) const noexcept { return prompt_offset(text(), prompt) >= 0; }

}  // namespace mpdll
