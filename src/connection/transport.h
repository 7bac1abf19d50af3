// The transports a record's mode selects, one backend each (telnet, serial,
// UDP) behind one table. OpenDev, CloseDev, SendCommand and the test-mode
// entry look the record's transport up once and never ask which one it is;
// each backend's instance is defined in its own folder.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "mpdll/mpdll.h"

namespace mpdll {

class CallTrace;

struct Transport {
    // MPDLL_MODE_UDP, MPDLL_MODE_TELNET or MPDLL_MODE_SERIAL: the record's
    // mode that selects it, and its bit in openFlags.
    std::int32_t mode;
    std::string_view name;  // "telnet", "serial", "udp"
    // The step the open starts with, as the session log names it.
    std::string_view firstOpenStep;
    // Opens the connection of a record that holds none of this mode; a
    // failed open leaves the record closed for it. MPDLL_OK or MPDLL_E_OPEN.
    std::int32_t (*open)(DevContext& dev) noexcept;
    // Closes the connection's handles and puts the platform's invalid value
    // in their place (the bit in openFlags is the caller's).
    void (*close)(DevContext& dev) noexcept;
    // Runs one command line: drops what already waits, sends the line and
    // puts its answer, terminated, into response (cleared by the caller,
    // as lastSent and lastReceived are). A failure is said in trace.
    std::int32_t (*exchange)(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                             std::int32_t wait, const CallTrace& trace) noexcept;
    // Lines go to the board's shell, which needs the test-mode entry and
    // answers in the shell's form; false for the UDP endpoint, which is in
    // test mode already and answers in its own form.
    bool reachesShell;
};

// The backends' instances, each defined in its transport's folder.
extern const Transport telnetTransport;
extern const Transport serialTransport;
extern const Transport udpTransport;

// All three, in the order CloseDev closes them: UDP, telnet, serial.
inline constexpr const Transport* kTransports[] = {&udpTransport, &telnetTransport, &serialTransport};

inline std::span<const Transport* const> all_transports() noexcept { return kTransports; }

// The transport of a mode; nullptr for a mode that names none of the three.
inline const Transport* transport_for(std::int32_t mode) noexcept {
    for (const Transport* transport : kTransports)
        if (transport->mode == mode) return transport;
    return nullptr;
}

// The transport the record's mode selects (nullptr as above): the one place
// the library reads the mode to choose how to reach the board.
inline const Transport* transport_of(const DevContext& dev) noexcept { return transport_for(dev.mode); }

}  // namespace mpdll
