// Checking texts against the library's line sizes and its rate and channel
// names.
#include "argument_check.h"

#include <mpdll/mpdll.h>

#include <algorithm>
#include <cctype>

namespace mpctl {

namespace {

// The library's command line without its terminator; a line the transports
// send, with room left for its CR and the terminator.
constexpr std::size_t composed_line_limit = MPDLL_COMMAND_SIZE - 1;
constexpr std::size_t telnet_line_limit = MPDLL_RESPONSE_SIZE - 2;
constexpr std::size_t serial_line_limit = MPDLL_COMMAND_SIZE - 2;
constexpr std::size_t datagram_limit = 65507;    // the most one UDP datagram carries
constexpr std::int32_t default_rate_code = 135;  // what mp_rate_s2i gives for an unknown name

std::string upper_cased(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

std::size_t transport_limit(const ConnectionOptions& connection) {
    if (!connection.serial.empty()) {
        return serial_line_limit;
    }
    return connection.udp.empty() ? telnet_line_limit : datagram_limit;
}

// The line's length once the board's names are put in, as the library does.
std::size_t line_length(const BoardLine& line, const ConnectionOptions& connection) {
    std::size_t length = line.line.size();
    if (line.board_names) {
        length = length - std::string_view("iwpriv").size() + (connection.tool.empty() ? 6 : connection.tool.size());
        length =
            length - std::string_view("wlan0").size() + (connection.if_name.empty() ? 5 : connection.if_name.size());
    }
    return length;
}

bool valid_channel_number(long number) {
    if (number >= 1 && number <= 14) {
        return true;
    }
    const bool low = number >= 36 && number <= 64, middle = number >= 100 && number <= 144;
    const bool high = number >= 149 && number <= 177;
    return (low || middle) ? number % 4 == 0 : high && number % 4 == 1;
}

long centre_frequency(long channel) {
    if (channel == 14) {
        return 2484;
    }
    return channel < 14 ? 2407 + 5 * channel : 5000 + 5 * channel;
}

}  // namespace

bool known_rate(const std::string& text) {
    const std::string upper = upper_cased(text);
    return mp_rate_s2i(text.c_str()) != default_rate_code || upper == "MCS7" || upper == "135";
}

bool known_channel(const std::string& text) {
    std::string digits = text;
    const bool megahertz = upper_cased(text).ends_with("MHZ");
    if (megahertz) {
        digits.resize(digits.size() - 3);
    }
    if (digits.empty() || digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), ::isdigit)) {
        return false;
    }
    const long number = std::stol(digits);
    if (number <= 200) {
        return !megahertz && valid_channel_number(number);
    }
    const long channel = mp_channel_s2i(digits.c_str());
    return valid_channel_number(channel) && centre_frequency(channel) == number;
}

std::vector<std::string> argument_problems(const Operation& operation, const ConnectionOptions& connection,
                                           bool strict) {
    std::vector<std::string> problems;
    for (const BoardLine& line : operation.texts.lines) {
        const std::size_t limit =
            line.as_typed ? transport_limit(connection) : std::min(composed_line_limit, transport_limit(connection));
        const std::size_t length = line_length(line, connection);
        if (length > limit) {
            problems.push_back(line.argument + " is too long: its line for the board would be " +
                               std::to_string(length) + " characters, " + describe(connection) + " takes at most " +
                               std::to_string(limit));
        }
    }
    if (!strict) {
        return problems;
    }
    for (const std::string& rate : operation.texts.rates) {
        if (!known_rate(rate)) {
            problems.push_back("unknown rate \"" + rate +
                               "\" (--strict): give 1M to 54M, MCS0 to MCS15 or their codes");
        }
    }
    for (const std::string& channel : operation.texts.channels) {
        if (!known_channel(channel)) {
            problems.push_back("unknown channel \"" + channel +
                               "\" (--strict): give a channel number or its centre frequency in MHz");
        }
    }
    return problems;
}

}  // namespace mpctl
