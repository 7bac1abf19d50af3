// The bounded scanf-like reader for board answers (see response_scan.h).
#include "commands/response_scan.h"

#include <cstddef>
#include <limits>

#include "text/text_characters.h"

namespace mpdll::scan {

Target Target::number(std::int32_t* out) { return Target{Kind::integer, out, {}, false}; }
Target Target::into(std::span<char> out) { return Target{Kind::text, nullptr, out, false}; }
Target Target::into_until_bel(std::span<char> out) { return Target{Kind::text, nullptr, out, true}; }
Target Target::skip() { return Target{Kind::discard, nullptr, {}, false}; }

namespace {

constexpr char kBel = '\a';
constexpr std::size_t kNoWidth = std::numeric_limits<std::size_t>::max();

// Reads the text from a position on; every step is bounded by the text.
class Cursor {
  public:
    explicit Cursor(std::string_view text) noexcept : text_(text.substr(0, text.find('\0'))) {}

    bool at_end() const noexcept { return pos_ >= text_.size(); }
    char peek() const noexcept { return text_[pos_]; }
    void advance() noexcept { ++pos_; }
    void skip_space() noexcept {
        while (!at_end() && is_space(peek())) advance();
    }

  private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

// "%d": optional sign, at least one digit, saturating at the int32 limits.
bool convert_integer(Cursor& in, std::size_t width, std::int32_t& value) noexcept {
    in.skip_space();
    std::size_t used = 0;
    bool negative = false;
    if (!in.at_end() && used < width && (in.peek() == '+' || in.peek() == '-')) {
        negative = in.peek() == '-';
        in.advance();
        ++used;
    }
    // Accumulate toward the sign so INT32_MIN itself is representable.
    constexpr std::int64_t kLimitHigh = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kLimitLow = std::numeric_limits<std::int32_t>::min();
    std::int64_t magnitude = 0;
    std::size_t digits = 0;
    while (!in.at_end() && used < width && is_digit(in.peek())) {
        if (magnitude <= -kLimitLow) magnitude = magnitude * 10 + (in.peek() - '0');
        in.advance();
        ++used;
        ++digits;
    }
    if (digits == 0) return false;
    const std::int64_t signedValue = negative ? -magnitude : magnitude;
    value = static_cast<std::int32_t>(signedValue > kLimitHigh  ? kLimitHigh
                                      : signedValue < kLimitLow ? kLimitLow
                                                                : signedValue);
    return true;
}

// "%s" and "%[^X]": a run of at least one character that `stops` rejects,
// stored up to the target's capacity.
template <typename StopsAt>
bool convert_text(Cursor& in, std::size_t width, const Target& target, StopsAt stops) noexcept {
    std::size_t length = 0;
    const bool store = target.kind == Target::Kind::text && !target.text.empty();
    const std::size_t room = store ? target.text.size() - 1 : 0;
    while (!in.at_end() && length < width && !stops(in.peek())) {
        if (length < room) target.text[length] = in.peek();
        in.advance();
        ++length;
    }
    if (length == 0) return false;
    if (store) target.text[length < room ? length : room] = '\0';
    return true;
}

bool fits(const Target& target, bool wantsText) noexcept {
    if (target.kind == Target::Kind::discard) return true;
    return wantsText ? target.kind == Target::Kind::text : target.kind == Target::Kind::integer;
}

}  // namespace

int scan(std::string_view text, std::string_view format, std::span<const Target> targets) noexcept {
    Cursor in(text);
    int stored = 0;
    std::size_t f = 0;
    while (f < format.size()) {
        const char directive = format[f];
        if (is_space(directive)) {
            in.skip_space();
            ++f;
            continue;
        }
        if (directive != '%') {
            if (in.at_end() || in.peek() != directive) return stored;
            in.advance();
            ++f;
            continue;
        }
        // A conversion: optional width, then d, s or [^X].
        ++f;
        std::size_t width = 0;
        bool hasWidth = false;
        while (f < format.size() && is_digit(format[f])) {
            if (width < 100000) width = width * 10 + static_cast<std::size_t>(format[f] - '0');
            hasWidth = true;
            ++f;
        }
        if (!hasWidth || width == 0) width = kNoWidth;
        if (f >= format.size() || static_cast<std::size_t>(stored) >= targets.size()) return stored;
        const Target& target = targets[static_cast<std::size_t>(stored)];
        const char kind = format[f];
        bool converted = false;
        if (kind == 'd') {
            if (!fits(target, false)) return stored;
            std::int32_t value = 0;
            converted = convert_integer(in, width, value);
            if (converted && target.kind == Target::Kind::integer && target.integer) *target.integer = value;
            ++f;
        } else if (kind == 's') {
            if (!fits(target, true)) return stored;
            in.skip_space();
            const bool atBel = target.endsAtBel;
            converted =
                convert_text(in, width, target, [atBel](char c) { return is_space(c) || (atBel && c == kBel); });
            ++f;
        } else if (kind == '[' && f + 3 < format.size() && format[f + 1] == '^' && format[f + 3] == ']') {
            if (!fits(target, true)) return stored;
            const char excluded = format[f + 2];
            converted = convert_text(in, width, target, [excluded](char c) { return c == excluded; });
            f += 4;
        } else {
            return stored;  // a directive this scanner does not know
        }
        if (!converted) return stored;
        ++stored;
    }
    return stored;
}

}  // namespace mpdll::scan
