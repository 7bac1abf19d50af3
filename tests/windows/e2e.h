// Shared pieces of the Windows end-to-end program: the library's exports
// resolved by name, and a small pass/fail ledger.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>
#include <string_view>

#include "mpdll/mpdll.h"

namespace e2e {

// One pointer per export, resolved with GetProcAddress.
struct Api {
#define MPDLL_EXPORT(name, bytes) decltype(&::name) name = nullptr;
#include "export_table.inc"
#undef MPDLL_EXPORT
};

struct Ledger {
    int passed = 0;
    int failed = 0;
    void check(bool ok, const std::string& what, const std::string& detail = "") {
        if (ok) {
            ++passed;
            std::printf("PASS %s\n", what.c_str());
        } else {
            ++failed;
            std::printf("FAIL %s%s%s\n", what.c_str(), detail.empty() ? "" : ": ", detail.c_str());
        }
        std::fflush(stdout);
    }
    void status(int status, const std::string& what) { check(status == 0, what, "status " + std::to_string(status)); }
};

struct Peers {
    std::string telnet;      // "127.0.0.1:PORT"
    std::string udpAddress;  // "127.0.0.X" (port 9034)
    std::string serialPort;  // "COM5", or empty to check only the failed open
};

// Copies text into a record's field, cut to fit before a terminator.
void fill(char* field, std::size_t size, const std::string& text);
template <std::size_t N>
void fill(char (&field)[N], const std::string& text) {
    fill(field, N, text);
}

// Control characters written as escapes, for failure details and printed
// answers.
std::string visible(std::string_view text);

// A zeroed record from the process heap with the names every board needs
// (prompt "# ", interface wlan0); the caller sets the transport.
DevContext* new_record();
void free_record(DevContext* dev);
// The serial line every serial scenario uses: 115200 baud, 8N1, binary.
void set_serial_line(DevContext& dev);

// A whole board test on one open record: test mode, transmit, receive,
// power tracking, flash, registers, chip facts.
void board_test(const Api& api, DevContext& dev, Ledger& ledger, const std::string& transport);
void telnet_session(const Api& api, const Peers& peers, Ledger& ledger);
void udp_session(const Api& api, const Peers& peers, Ledger& ledger);
void serial_session(const Api& api, const Peers& peers, Ledger& ledger);
// The record-and-replay part: telnet, then serial when a port is given.
void recorded_plan(const Api& api, const Peers& peers, Ledger& ledger);

}  // namespace e2e
