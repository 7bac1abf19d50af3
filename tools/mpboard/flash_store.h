// The board's flash parameter store: named text values that live as long as
// the simulator, seeded with a realistic calibration set and optionally kept
// in a file ("NAME=value" per line).
#pragma once

#include <map>
#include <string>
#include <vector>

namespace mpboard {

class FlashStore {
  public:
    // Seeds the defaults, then loads `file` over them when it exists.
    explicit FlashStore(std::string file);

    // nullptr when the name is unknown.
    const std::string* find(const std::string& name) const;
    // Stores the value and, when a file is configured, writes the whole store to it.
    void set(const std::string& name, const std::string& value);

  private:
    void load();
    void save() const;

    std::string file_;
    std::map<std::string, std::string> values_;
};

// The names of the parameters a board leaves calibration with, in order.
std::vector<std::string> factory_flash_names();

// A flash parameter name the board's flash tool accepts: letters, digits, '_'.
bool valid_flash_name(const std::string& name);

}  // namespace mpboard
