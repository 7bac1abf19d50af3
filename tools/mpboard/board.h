// The simulated board: its shell commands over one shared state (interface,
// driver test mode, flash, RF registers, /proc). Safe to use from several
// connections at once.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "answer.h"
#include "flash_store.h"
#include "radio.h"
#include "simulator.h"

namespace mpboard {

class Board {
  public:
    explicit Board(const Options& options);

    // Runs one shell command line (no line end).
    Answer run(const std::string& line);

    Counters counters() const;
    bool test_mode() const;
    std::string flash_value(const std::string& name) const;
    void set_flash_value(const std::string& name, const std::string& value);

  private:
    Answer ifconfig(const std::vector<std::string>& words);
    Answer wireless_tool(const std::string& line, const std::vector<std::string>& words);
    Answer flash(const std::string& line, const std::vector<std::string>& words);
    Answer read_register(const std::vector<std::string>& words);
    Answer write_register(const std::vector<std::string>& words);
    Answer cat(const std::vector<std::string>& words);
    std::string mib_rf() const;
    std::uint32_t& register_at(int path, int address);

    const std::string if_name_, tool_, chip_version_, mimo_support_;
    const std::string label_;  // the interface name padded as the driver reports it
    mutable std::mutex mutex_;
    bool interface_up_ = true;
    std::map<std::string, std::string> mib_;
    FlashStore flash_;
    Radio radio_;
    std::map<std::pair<int, int>, std::uint32_t> registers_;
};

}  // namespace mpboard
