// What the mpctl suites that talk to a board share: a simulated board of the
// test's own serving every transport, the connection options that reach it,
// and mpctl's JSON read back.
#pragma once

#include "mpctl_process.h"

#include "support/board_under_test.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <memory>
#include <string>
#include <vector>

namespace mpctl_test {

using Json = nlohmann::json;

inline const char* const board_password = "pw-Secret9";

class MpctlBoard : public ::testing::Test {
  protected:
    // Starts a fresh board (the one before, if any, stops).
    void start(mpboard::Faults faults = {}, mpboard::Measurements measurements = {});

    std::vector<std::string> telnet() const;
    std::vector<std::string> udp() const;
    std::vector<std::string> serial() const;
    // The options that reach the board by the transport named
    // ("telnet", "serial", "udp").
    std::vector<std::string> connection(const std::string& transport) const;

    static std::vector<std::string> with(std::vector<std::string> connection, const std::vector<std::string>& rest);
    std::size_t times_sent(const std::string& line) const;

    std::unique_ptr<mpdll::test::SimulatedBoard> session_;
    mpboard::Simulator* board_ = nullptr;  // session_'s board
};

// mpctl's JSON output; null when it is not one JSON document.
Json json_of(const ProcessResult& run);

// The step of a JSON report with this text; nullptr when there is none.
Json* find_step(Json& steps_holder, const std::string& text);

std::string source_path(const std::string& relative);

}  // namespace mpctl_test
