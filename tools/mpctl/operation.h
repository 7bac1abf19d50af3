// One operation of mpctl: what a subcommand or a plan line asks for, and what
// came of it.
#pragma once

#include "expectation.h"
#include "value.h"

#include <mpdll/mpdll.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace mpctl {

struct Result {
    std::int32_t status = MPDLL_OK;
    std::vector<Value> values;
    // The outputs the library left as they were although it returned
    // success, e.g. "thermal": the step fails, no value is made up.
    std::vector<std::string> unwritten;
};

enum class Needs {
    nothing,  // board-free conversion
    board,    // an open connection, in test mode unless --no-enter
    entry,    // an open connection; this operation is the test-mode entry itself
};

enum class Kind {
    setting,  // the board's answer holds nothing to read: --strict judges it for a refusal
    query,    // hands back values that --expect can check
    other,    // sends a line of the user's own, converts, or waits
};

// A line for the board that carries a text typed by the user, as the
// library composes it before it puts the board's names in.
struct BoardLine {
    std::string argument;     // the argument the text came from: "VALUE", "--antenna"
    std::string line;         // "flash set SSID lab", "iwpriv wlan0 mp_ant_tx A"
    bool board_names = true;  // "iwpriv" and "wlan0" in it become --tool and --if
    bool as_typed = false;    // sent as it stands by SendCommand (send)
};

// The texts of an operation that are checked before anything is sent.
struct ArgumentTexts {
    std::vector<BoardLine> lines;
    std::vector<std::string> rates;     // rate names: must be known ones under --strict
    std::vector<std::string> channels;  // channel texts: likewise
};

struct Operation {
    std::string name;  // the subcommand words, e.g. "flash get"
    Needs needs = Needs::board;
    Kind kind = Kind::other;
    // Runs the operation; dev is the open record, or a record that is only
    // filled (not opened) for conversions that read the names from it.
    std::function<Result(DevContext& dev)> run;
    ArgumentTexts texts;
    std::vector<Expectation> expectations;  // the limits its values must keep
};

}  // namespace mpctl
