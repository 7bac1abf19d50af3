// One operation of mpctl: what a subcommand or a plan line asks for, and what
// came of it.
#pragma once

#include <mpdll/mpdll.h>

#include <cstdint>
#include <functional>
#include <string>
#include <variant>
#include <vector>

namespace mpctl {

// A value an operation hands back: a number, a text or a table of numbers.
struct Value {
    std::string name;
    std::variant<std::int64_t, std::string, std::vector<std::int32_t>> data;
};

struct Result {
    std::int32_t status = MPDLL_OK;
    std::vector<Value> values;
};

enum class Needs {
    nothing,  // board-free conversion
    board,    // an open connection, in test mode unless --no-enter
    entry,    // an open connection; this operation is the test-mode entry itself
};

struct Operation {
    std::string name;  // the subcommand words, e.g. "flash get"
    Needs needs = Needs::board;
    // Runs the operation; dev is the open record, or a record that is only
    // filled (not opened) for conversions that read the names from it.
    std::function<Result(DevContext& dev)> run;
};

}  // namespace mpctl
