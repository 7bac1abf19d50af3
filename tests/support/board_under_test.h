// The simulated board a test talks to and a record that reaches it: telnet
// on an ephemeral loopback port, UDP on port 9034 of a loopback address of
// this process's own (OpenDev always aims at 9034), the serial console on a
// pseudo-terminal. Every suite that runs the library against the board
// starts it here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "simulator.h"

namespace mpdll::test {

enum class Transport { telnet, udp, serial };

const char* transport_name(Transport transport);

// Test cases name a transport by its word, not by its bytes.
inline void PrintTo(Transport transport, std::ostream* out) { *out << transport_name(transport); }
std::int32_t mode_of(Transport transport);
// MPDLL_MODE_UDP and MPDLL_MODE_TELNET their own, anything else the console.
Transport transport_of(std::int32_t mode);
// "Udp", "Telnet" or "Serial": the name of a test run once per MPDLL_MODE_*.
std::string mode_test_name(const ::testing::TestParamInfo<std::int32_t>& info);

// 127.(pid-derived).(pid-derived).(per-board counter): distinct for every
// board in every test process, so parallel test programs never share 9034.
std::string own_udp_address();

// Board options for tests that fail logins: a 300 ms pause after a wrong
// password instead of the board's seconds.
mpboard::Options quick_board();

// A started board. It serves the one transport named, or all three.
class SimulatedBoard {
  public:
    // negotiationWaitMs: how long telnet waits for the client's option
    // answers before the login; the board's own second would slow every open.
    explicit SimulatedBoard(mpboard::Options options, int negotiationWaitMs = 100)
        : SimulatedBoard(std::nullopt, std::move(options), negotiationWaitMs) {}
    SimulatedBoard(Transport only, mpboard::Options options, int negotiationWaitMs = 100)
        : SimulatedBoard(std::optional<Transport>(only), std::move(options), negotiationWaitMs) {}

    mpboard::Simulator& board() { return *board_; }
    const mpboard::Simulator& board() const { return *board_; }
    // "127.0.0.1:<port>", as ipText takes it.
    std::string telnet_address() const;
    const std::string& udp_address() const { return udpAddress_; }
    const std::string& serial_path() const { return serialPath_; }

  protected:
    // Serves `only`, or every transport when it is empty.
    SimulatedBoard(std::optional<Transport> only, mpboard::Options options, int negotiationWaitMs);

  private:
    std::string udpAddress_;
    std::string serialPath_;
    std::unique_ptr<mpboard::Simulator> board_;
};

// The console's line settings in a serial record.
struct SerialLine {
    std::uint32_t baudRate = 115200;
    bool binary = true;
    MpCommTimeouts timeouts{};  // all zero: the library's own
};

// What a record carries besides the board's address.
struct RecordSettings {
    std::string ifName = "wlan0";
    std::string toolPath;
    std::string password = "root";  // the telnet login, with the user "root"
    SerialLine serial;
};

// How a BoardUnderTest is set up.
struct BoardSetup {
    bool servesAll = false;  // telnet, UDP and the console at once, not only the transport under test
    int negotiationWaitMs = 100;
    RecordSettings record;
};

// A board and the records that reach it over the transport under test.
class BoardUnderTest : public SimulatedBoard {
  public:
    BoardUnderTest(Transport transport, mpboard::Options options, BoardSetup setup = {});
    explicit BoardUnderTest(Transport transport) : BoardUnderTest(transport, quick_board()) {}

    Transport transport() const { return transport_; }
    // A zero-filled record with mode, prompt "# ", address or port path,
    // login, interface name, tool path and line settings set.
    std::unique_ptr<DevContext> record() const;
    // What CloseDev takes for this transport.
    std::uint32_t close_mask() const { return static_cast<std::uint32_t>(mode_of(transport_)); }

  private:
    Transport transport_;
    RecordSettings settings_;
};

}  // namespace mpdll::test
