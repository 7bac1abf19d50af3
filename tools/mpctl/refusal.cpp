// Finding a refusal in the board's answer to a setting.
#include "refusal.h"

#include <mpdll/mpdll.h>

#include <algorithm>
#include <cctype>

namespace mpctl {

namespace {

bool same_letter(char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
}

}  // namespace

const std::vector<std::string>& default_refusals() {
    static const std::vector<std::string> refusals{"not permitted", "no such",   "invalid",
                                                   "usage:",        "not found", "error"};
    return refusals;
}

std::string refusal_in(std::string_view answer, const std::vector<std::string>& refusals) {
    for (const std::string& refusal : refusals) {
        if (!refusal.empty() &&
            std::search(answer.begin(), answer.end(), refusal.begin(), refusal.end(), same_letter) != answer.end()) {
            return refusal;
        }
    }
    return {};
}

std::string answer_of(const Exchange& exchange, const std::string& prompt) {
    std::string line = exchange.sent;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) {
        line.pop_back();
    }
    std::vector<char> out(exchange.received.size() + 1, '\0');
    FormatReceiveData(exchange.received.c_str(), line.c_str(), prompt.c_str(), out.data(), 0);
    std::string_view answer(out.data());
    const std::size_t first = answer.find_first_not_of(" \t\r\n");
    const std::size_t last = answer.find_last_not_of(" \t\r\n");
    return first == std::string_view::npos ? std::string() : std::string(answer.substr(first, last - first + 1));
}

}  // namespace mpctl
