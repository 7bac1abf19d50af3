// Keeping a secret out of every text the library keeps or shows.
#include "text/secret_mask.h"

#include <algorithm>
#include <cstring>

namespace mpdll {

void mask_secret(std::span<char> text, std::string_view secret) noexcept {
    if (secret.empty()) return;
    const std::string_view view(text.data(), text.size());
    for (std::size_t at = view.find(secret); at != std::string_view::npos; at = view.find(secret, at + 1))
        std::memset(text.data() + at, '*', secret.size());
    for (std::size_t started = std::min(secret.size() - 1, view.size()); started > 0; --started) {
        if (view.ends_with(secret.substr(0, started))) {
            std::memset(text.data() + view.size() - started, '*', started);
            return;
        }
    }
}

std::size_t append_keeping_newest(std::span<char> area, std::size_t length, std::string_view data,
                                  std::string_view secret) noexcept {
    const std::size_t total = length + data.size();
    const std::size_t cut = total > area.size() ? total - area.size() : 0;  // bytes that go, oldest first
    // The bytes of the text and data as one, read before the text moves.
    const auto byte_at = [&](std::size_t at) { return at < length ? area[at] : data[at - length]; };
    std::size_t maskedHead = 0;
    if (cut > 0 && !secret.empty()) {
        const std::size_t first = cut >= secret.size() ? cut - secret.size() + 1 : 0;
        for (std::size_t start = first; start < cut && start + secret.size() <= total; ++start) {
            std::size_t matched = 0;
            while (matched < secret.size() && byte_at(start + matched) == secret[matched]) ++matched;
            if (matched == secret.size()) maskedHead = std::max(maskedHead, start + secret.size() - cut);
        }
    }
    const std::size_t keptOld = cut < length ? length - cut : 0;
    std::memmove(area.data(), area.data() + (length - keptOld), keptOld);
    const std::size_t dataFrom = cut > length ? cut - length : 0;
    std::memcpy(area.data() + keptOld, data.data() + dataFrom, data.size() - dataFrom);
    const std::size_t kept = total - cut;
    std::memset(area.data(), '*', std::min(maskedHead, kept));
    return kept;
}

}  // namespace mpdll
