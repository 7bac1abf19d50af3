// A simulated board on one transport and a record that reaches it, for the
// fault-injection and soak tests: telnet on an ephemeral loopback port, UDP
// on port 9034 of a loopback address of this process's own (OpenDev always
// aims at 9034), or the serial console on a pseudo-terminal.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "mpdll/mpdll.h"
#include "simulator.h"

namespace mpdll::reliability {

enum class Transport { telnet, udp, serial };

const char* transport_name(Transport transport);

// Board options that keep a test quick: short negotiation and login-failure
// pauses, no transcript, only the transport under test served.
mpboard::Options quick_board(Transport transport);

class BoardUnderTest {
public:
    BoardUnderTest(Transport transport, mpboard::Options options);
    explicit BoardUnderTest(Transport transport) : BoardUnderTest(transport, quick_board(transport)) {}

    mpboard::Simulator& board() { return *board_; }
    Transport transport() const { return transport_; }
    // A zero-filled record for this board with mode, prompt, address or
    // port path, login ("root"/"root") and interface name set.
    std::unique_ptr<DevContext> record() const;
    // What CloseDev takes for this transport.
    std::uint32_t close_mask() const;

private:
    Transport transport_;
    std::string udpAddress_;
    std::string serialPath_;
    std::unique_ptr<mpboard::Simulator> board_;
};

// Seconds since construction, for time bounds.
class Stopwatch {
public:
    double seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace mpdll::reliability
