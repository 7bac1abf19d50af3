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
                             std::int32_t wait, CallTrace& trace) noexcept;
    // Lines go to the board's shell, which needs the test-mode entry and
    // answers in the shell's form; false for the UDP endpoint, which is in
    // test mode already and answers in its own form.
    bool reachesShell;
};

// The backends' instances.
extern const Transport telnetTransport;
extern const Transport serialTransport;
extern const Transport udpTransport;

// The transport of a mode; nullptr for a mode that names none of the three.
const Transport* transport_for(std::int32_t mode) noexcept;
// The transport the record's mode selects (nullptr as above).
const Transport* transport_of(const DevContext& dev) noexcept;
// All three, in the order CloseDev closes them: UDP, telnet, serial.
std::span<const Transport* const> all_transports() noexcept;

}  // namespace mpdll
