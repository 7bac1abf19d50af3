// Network byte order for the socket address records, on any host.
#pragma once

#include <bit>
#include <cstdint>

namespace mpdll {

constexpr std::uint16_t network_order16(std::uint16_t value) noexcept {
    if constexpr (std::endian::native == std::endian::big) return value;
    return static_cast<std::uint16_t>((value >> 8) | (value << 8));
}

constexpr std::uint32_t network_order32(std::uint32_t value) noexcept {
    if constexpr (std::endian::native == std::endian::big) return value;
    return (value >> 24) | ((value >> 8) & 0xFF00u) | ((value << 8) & 0xFF0000u) | (value << 24);
}

}  // namespace mpdll
