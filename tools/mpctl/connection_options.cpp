// The connection options and the record they fill.
#include "connection_options.h"

#include "text_escapes.h"

#include <arpa/inet.h>
#include <CLI/CLI.hpp>

#include <cstring>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace mpctl {

namespace {

const char* const group = "Connection (one of --telnet, --serial, --udp)";
constexpr std::int32_t serial_drain_ms = 1000;
// Reads that return what the port holds at once: a command then costs the
// board's answer time, not the interval time-out after its last byte.
constexpr std::uint32_t read_what_is_held = 0xFFFFFFFFu;
constexpr std::uint32_t write_per_byte_ms = 100, write_constant_ms = 500;

// Copies text into a fixed field with its terminator, or says why it cannot.
std::string put(char* field, std::size_t size, std::string_view text, std::string_view what) {
    if (text.size() + 1 > size) {
        return std::string(what) + " is longer than " + std::to_string(size - 1) + " characters";
    }
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size());
    return {};
}

struct NamedCode {
    std::string_view name;
    std::int32_t code;
};

// The header's code for the name an option was given, or none.
std::optional<std::int32_t> code_of(std::string_view name, std::initializer_list<NamedCode> codes) {
    for (const NamedCode& known : codes) {
        if (known.name == name) {
            return known.code;
        }
    }
    return std::nullopt;
}

// The line settings go into dev.dcb through the library, as every program
// that fills a record does (MpdllSetSerialLine).
std::string fill_serial_line(const ConnectionOptions& options, DevContext& dev) {
    const auto parity = code_of(options.parity, {{"none", MPDLL_PARITY_NONE},
                                                 {"odd", MPDLL_PARITY_ODD},
                                                 {"even", MPDLL_PARITY_EVEN},
                                                 {"mark", MPDLL_PARITY_MARK},
                                                 {"space", MPDLL_PARITY_SPACE}});
    if (!parity) {
        return "--parity must be none, odd, even, mark or space";
    }
    const auto stop_bits =
        code_of(options.stop_bits,
                {{"1", MPDLL_STOP_BITS_ONE}, {"1.5", MPDLL_STOP_BITS_ONE_AND_HALF}, {"2", MPDLL_STOP_BITS_TWO}});
    if (!stop_bits) {
        return "--stop-bits must be 1, 1.5 or 2";
    }
    const auto flow = code_of(
        options.flow, {{"none", MPDLL_FLOW_NONE}, {"rtscts", MPDLL_FLOW_RTSCTS}, {"xonxoff", MPDLL_FLOW_XONXOFF}});
    if (!flow) {
        return "--flow must be none, rtscts or xonxoff";
    }
    if (MpdllSetSerialLine(&dev, options.baud, options.data_bits, *parity, *stop_bits, *flow) != MPDLL_OK) {
        return "the library refuses the serial line: --baud must be above 0 and --data-bits 5 to 8";
    }
    return {};
}

}  // namespace

void add_connection_options(CLI::App& app, ConnectionOptions& o) {
    // The options added here go to their own help group; the app's defaults
    // are put back afterwards for the options its caller adds.
    CLI::OptionDefaults& defaults = *app.option_defaults();
    const std::string callerGroup = defaults.get_group();
    defaults.group(group);
    app.add_option("--telnet", o.telnet, "Reach the board by telnet at HOST[:PORT] (port 23 if none)")
        ->type_name("HOST[:PORT]");
    app.add_option("--user", o.user, "Telnet login user name")->capture_default_str();
    app.add_option("--password", o.password, "Telnet login password (also from MPCTL_PASSWORD); never printed")
        ->envname("MPCTL_PASSWORD");
    app.add_option("--serial", o.serial, "Reach the board through the serial console at this device path")
        ->type_name("PORT");
    app.add_option("--baud", o.baud, "Serial line speed")->capture_default_str();
    app.add_option("--data-bits", o.data_bits, "Serial data bits")->check(CLI::Range(5, 8))->capture_default_str();
    app.add_option("--parity", o.parity, "Serial parity: none, odd, even, mark, space")->capture_default_str();
    app.add_option("--stop-bits", o.stop_bits, "Serial stop bits: 1, 1.5, 2")->capture_default_str();
    app.add_option("--flow", o.flow, "Serial flow control: none, rtscts, xonxoff")->capture_default_str();
    app.add_option("--read-interval", o.read_interval,
                   "Serial reads end this many ms after the last byte (the library's default is 100); "
                   "without it they return what the port holds at once")
        ->type_name("MS");
    app.add_option(
           "--udp", o.udp,
           "Reach the board's UDP command endpoint (port " + std::to_string(MPDLL_UDP_PORT) + ") at this IPv4 address")
        ->type_name("HOST");
    app.add_option("--prompt", o.prompt, "The board's shell prompt; \\r, \\n, \\t and \\\\ are escapes")
        ->default_str("\"# \"");
    app.add_option("--prompt-settle", o.prompt_settle,
                   "Telnet and serial: each answer waits until the board has been quiet this many ms after its "
                   "prompt, for a board whose answers can hold the prompt's text at the end of a write (0: none)")
        ->type_name("MS")
        ->check(CLI::Range(0, MPDLL_PROMPT_SETTLE_MAX_MS))
        ->capture_default_str();
    app.add_option("--first-command", o.first_command, "Command line run right after the telnet login")
        ->type_name("LINE");
    app.add_option("--if", o.if_name, "The board's wireless interface name")->type_name("NAME")->capture_default_str();
    app.add_option("--tool", o.tool, "Path of the board's test tool, in place of iwpriv")->type_name("PATH");
    app.add_option("--chip", o.chip, "Chip model (MXR4700LA changes the receive filter report word)")
        ->type_name("MODEL");
    app.add_flag("--no-enter", o.no_enter, "Do not put the radio into test mode before the first operation");
    defaults.group(callerGroup);
}

std::string fill_names(const ConnectionOptions& o, DevContext& dev) {
    if (auto error = put(dev.ifName, sizeof dev.ifName, o.if_name, "--if"); !error.empty()) {
        return error;
    }
    if (auto error = put(dev.toolPath, sizeof dev.toolPath, o.tool, "--tool"); !error.empty()) {
        return error;
    }
    return put(dev.chipModel, sizeof dev.chipModel, o.chip, "--chip");
}

std::string fill_record(const ConnectionOptions& o, DevContext& dev) {
    std::memset(&dev, 0, sizeof dev);
    const int chosen = !o.telnet.empty() + !o.serial.empty() + !o.udp.empty();
    if (chosen == 0) {
        return "no board connection: give one of --telnet, --serial, --udp";
    }
    if (chosen > 1) {
        return "give only one of --telnet, --serial, --udp";
    }
    if (auto error = fill_names(o, dev); !error.empty()) {
        return error;
    }
    if (auto error = put(dev.prompt, sizeof dev.prompt, unescape(o.prompt), "--prompt"); !error.empty()) {
        return error;
    }
    if (!o.udp.empty()) {
        if (o.prompt_settle != 0) {
            return "--prompt-settle is for --telnet and --serial: a UDP reply has no prompt";
        }
        dev.mode = MPDLL_MODE_UDP;
        in_addr address{};
        if (inet_pton(AF_INET, o.udp.c_str(), &address) != 1) {
            return "--udp needs an IPv4 address such as 192.168.1.1, not \"" + o.udp + "\"";
        }
        dev.udpPeer.address = address.s_addr;
        return {};
    }
    if (!o.telnet.empty()) {
        dev.mode = MPDLL_MODE_TELNET;
        for (auto [field, size, text, what] :
             {std::tuple{dev.ipText, sizeof dev.ipText, o.telnet, "--telnet"},
              std::tuple{dev.userName, sizeof dev.userName, o.user, "--user"},
              std::tuple{dev.password, sizeof dev.password, o.password, "--password"},
              std::tuple{dev.firstCommand, sizeof dev.firstCommand, o.first_command, "--first-command"}}) {
            if (auto error = put(field, size, text, what); !error.empty()) {
                return error;
            }
        }
        return {};
    }
    dev.mode = MPDLL_MODE_SERIAL;
    dev.portName = o.serial.c_str();
    // Each write waits for the line to drain before the library purges the
    // output side; without a bound the purge could drop a line not yet sent.
    dev.sendTimeout = serial_drain_ms;
    dev.commTimeouts =
        MpCommTimeouts{o.read_interval.value_or(read_what_is_held), 0, 0, write_per_byte_ms, write_constant_ms};
    return fill_serial_line(o, dev);
}

std::string describe(const ConnectionOptions& o) {
    if (!o.telnet.empty()) {
        return "telnet " + o.telnet;
    }
    if (!o.serial.empty()) {
        return "serial " + o.serial;
    }
    if (!o.udp.empty()) {
        return "udp " + o.udp;
    }
    return {};
}

}  // namespace mpctl
