// The telnet peer from the record's ipText ("a.b.c.d" or "a.b.c.d:port").
#include "connection/telnet/telnet_address.h"

#include <charconv>

#include "platform/platform.h"
#include "text/byte_order.h"

namespace mpdll {
namespace {

constexpr std::uint32_t kBroadcast = 0xFFFFFFFFu;

// A decimal number of 1 to digits digits, no sign, no more than limit.
std::optional<std::uint32_t> decimal(std::string_view text, std::size_t digits, std::uint32_t limit) {
    if (text.empty() || text.size() > digits) return std::nullopt;
    std::uint32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end != text.data() + text.size() || value > limit) return std::nullopt;
    return value;
}

std::optional<std::uint32_t> dotted_decimal(std::string_view text) {
    std::uint32_t address = 0;
    for (int part = 0; part < 4; ++part) {
        const std::size_t dot = text.find('.');
        const bool last = part == 3;
        if (last != (dot == std::string_view::npos)) return std::nullopt;
        const auto octet = decimal(text.substr(0, dot), 3, 255);
        if (!octet) return std::nullopt;
        address = (address << 8) | *octet;
        text = last ? std::string_view{} : text.substr(dot + 1);
    }
    return address;
}

}  // namespace

std::optional<MpSockAddrIn> telnet_peer(std::string_view ipText) noexcept {
    std::uint32_t port = kTelnetPort;
    const std::size_t colon = ipText.find(':');
    if (colon != std::string_view::npos) {
        const auto given = decimal(ipText.substr(colon + 1), 5, 65535);
        if (!given || *given == 0) return std::nullopt;
        port = *given;
        ipText = ipText.substr(0, colon);
    }
    const auto address = dotted_decimal(ipText);
    if (!address || *address == kBroadcast) return std::nullopt;
    MpSockAddrIn peer{};
    peer.family = platform::kFamilyIpv4;
    peer.port = network_order16(static_cast<std::uint16_t>(port));
    peer.address = network_order32(*address);
    return peer;
}

}  // namespace mpdll
