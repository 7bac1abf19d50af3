// How mpctl reaches the board: the options shared by every subcommand, and
// the DevContext record they fill.
#pragma once

#include <mpdll/mpdll.h>

#include <cstdint>
#include <optional>
#include <string>

// Only the files that add options include CLI11: every file that includes
// it pays several seconds of compile time.
namespace CLI {
class App;
}

namespace mpctl {

struct ConnectionOptions {
    std::string telnet;  // HOST[:PORT]
    std::string user = "root";
    std::string password;
    std::string serial;  // device path
    std::uint32_t baud = 115200;
    int data_bits = 8;
    std::string parity = "none";
    std::string stop_bits = "1";
    std::string flow = "none";
    // The serial read interval time-out in ms; none: reads return what the
    // port holds at once.
    std::optional<std::uint32_t> read_interval;
    std::string udp;  // IPv4 address; the board listens on port MPDLL_UDP_PORT
    std::string prompt = "# ";
    // Telnet and serial: each answer waits this many ms of quiet after its
    // prompt (MpdllSetPromptSettle once the connection is open); 0: none.
    std::int32_t prompt_settle = 0;
    std::string first_command;
    std::string if_name = "wlan0";
    std::string tool;
    std::string chip;
    bool no_enter = false;
};

// Adds the connection options to app, in their own help group.
void add_connection_options(CLI::App& app, ConnectionOptions& options);

// Fills dev (zeroed first) from the options. portName points into
// options.serial, so options must outlive the record. Returns an empty text,
// or what is wrong with the options.
std::string fill_record(const ConnectionOptions& options, DevContext& dev);

// The same for the naming fields only (interface, tool, chip model), which
// the board-free command text conversions read.
std::string fill_names(const ConnectionOptions& options, DevContext& dev);

// "telnet 127.0.0.1:2323", "serial /dev/pts/3", "udp 127.0.0.1", or "" when
// no connection was chosen.
std::string describe(const ConnectionOptions& options);

}  // namespace mpctl
