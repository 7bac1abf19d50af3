// The board's shell commands: ifconfig, the wireless tool, flash, irf/orf and
// cat of the driver's /proc file.
#include "board.h"

#include <cstdio>

#include "text_parse.h"

namespace mpboard {
namespace {

Answer error_text(std::string text) { return Answer{std::move(text) + "\n", true, {}, {}}; }

std::string padded_label(const std::string& if_name) {
    std::string label = if_name;
    label.resize(std::max<std::size_t>(label.size() + 1, 10), ' ');
    return label;
}

int thermal_reference(const FlashStore& flash) {
    long long value = 0;
    const std::string* text = flash.find("THER");
    return text && parse_int(*text, value) ? static_cast<int>(value) : 30;
}

// Everything after the first `count` words of the line, as typed.
std::string rest_after_words(const std::string& line, std::size_t count) {
    std::size_t i = 0;
    for (std::size_t word = 0; word < count; ++word) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    if (i < line.size()) ++i;  // the one blank that separates the arguments
    return line.substr(i);
}

}  // namespace

Board::Board(const Options& options)
    : if_name_(options.if_name),
      tool_(options.tool),
      chip_version_(options.chip_version),
      mimo_support_(options.mimo_support),
      label_(padded_label(options.if_name)),
      flash_(options.flash_file),
      radio_(thermal_reference(flash_), options.measurements) {}

Answer Board::run(const std::string& line) {
    std::lock_guard lock(mutex_);
    auto words = split_words(line);
    if (words.empty()) return {};
    const std::string& program = words[0];
    if (program == "ifconfig") return ifconfig(words);
    if (program == tool_) return wireless_tool(line, words);
    if (program == "flash") return flash(line, words);
    if (program == "irf") return read_register(words);
    if (program == "orf") return write_register(words);
    if (program == "cat") return cat(words);
    if (program == "help")
        return Answer{
            "commands: ifconfig IF up|down, " + tool_ +
                " IF set_mib|mp_*, flash get|set, irf A B, orf A B HEX, cat /proc/IF/mib_rf [| grep KEY], exit\n",
            false,
            {},
            {}};
    return error_text("sh: " + program + ": not found");
}

Answer Board::ifconfig(const std::vector<std::string>& words) {
    if (words.size() != 3 || (words[2] != "up" && words[2] != "down"))
        return error_text("ifconfig: usage: ifconfig IF up|down");
    if (words[1] != if_name_) return error_text("ifconfig: " + words[1] + ": No such device");
    interface_up_ = words[2] == "up";
    return {};
}

Answer Board::wireless_tool(const std::string& line, const std::vector<std::string>& words) {
    if (words.size() < 3) return error_text(tool_ + ": usage: " + tool_ + " IF COMMAND [ARGS]");
    if (words[1] != if_name_) return error_text(tool_ + ": " + words[1] + ": No such device");
    const std::string& command = words[2];
    std::string args = rest_after_words(line, 3);
    if (command == "set_mib") {
        auto eq = args.find('=');
        if (eq == std::string::npos || eq == 0) return error_text("set_mib: Invalid argument");
        mib_[args.substr(0, eq)] = args.substr(eq + 1);
        return {};
    }
    if (command.rfind("mp_", 0) == 0) {
        if (!interface_up_) return error_text(command + ": Network is down");
        return radio_.run(label_, command, args);
    }
    return error_text(tool_ + ": " + command + ": unknown private command");
}

Answer Board::flash(const std::string& line, const std::vector<std::string>& words) {
    if (words.size() == 3 && words[1] == "get") {
        const std::string* value = flash_.find(words[2]);
        if (!value) return error_text("flash: " + words[2] + ": no such parameter");
        return Answer{words[2] + "=" + *value + "\n", false, {}, {}};
    }
    if (words.size() >= 4 && words[1] == "set") {
        if (!valid_flash_name(words[2])) return error_text("flash: " + words[2] + ": invalid parameter name");
        flash_.set(words[2], rest_after_words(line, 3));
        return {};
    }
    return error_text("flash: usage: flash get NAME | flash set NAME VALUE");
}

std::uint32_t& Board::register_at(int path, int address) {
    auto key = std::make_pair(path, address);
    auto it = registers_.find(key);
    if (it == registers_.end()) {
        // Registers that were never written read as a fixed 20-bit pattern.
        std::uint32_t seed = static_cast<std::uint32_t>(path * 256 + address) * 2654435761u;
        it = registers_.emplace(key, (seed >> 8) & 0xFFFFF).first;
    }
    return it->second;
}

Answer Board::read_register(const std::vector<std::string>& words) {
    long long path = 0, address = 0;
    if (words.size() != 3 || !parse_int(words[1], path) || !parse_int(words[2], address) || path < 0 || path > 3 ||
        address < 0 || address > 255)
        return error_text("irf: usage: irf PATH(0-3) ADDRESS(0-255)");
    std::uint32_t value = register_at(static_cast<int>(path), static_cast<int>(address));
    char line[96];
    std::snprintf(line, sizeof line, "%sread_rf:%u  %u  %u  %u  ", label_.c_str(), (value >> 24) & 0xFF,
                  (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    return Answer{std::string(line) + "\n", false, {}, std::string(line)};
}

Answer Board::write_register(const std::vector<std::string>& words) {
    long long path = 0, address = 0;
    std::uint32_t value = 0;
    if (words.size() != 4 || !parse_int(words[1], path) || !parse_int(words[2], address) || path < 0 || path > 3 ||
        address < 0 || address > 255 || !parse_hex32(words[3], value))
        return error_text("orf: usage: orf PATH(0-3) ADDRESS(0-255) HEXVALUE");
    register_at(static_cast<int>(path), static_cast<int>(address)) = value;
    return {};
}

std::string Board::mib_rf() const {
    return "  MIMO_TR_hw_support: " + mimo_support_ + "\n  MIMO_TR_mode: " + mimo_support_ +
           "\n  chipVersion: " + chip_version_ + "\n  ther: " + std::to_string(thermal_reference(flash_)) +
           "\n  xcap: " + *flash_.find("XCAP") + "\n";
}

Answer Board::cat(const std::vector<std::string>& words) {
    bool grep = words.size() == 5 && words[2] == "|" && words[3] == "grep";
    if (words.size() != 2 && !grep) return error_text("sh: only 'cat FILE' and 'cat FILE | grep KEY' are supported");
    if (words[1] != "/proc/" + if_name_ + "/mib_rf")
        return error_text("cat: " + words[1] + ": No such file or directory");
    std::string text = mib_rf();
    if (!grep) return Answer{text, false, {}, {}};
    std::string matched;
    for (const auto& line : split_on(text, '\n'))
        if (!line.empty() && line.find(words[4]) != std::string::npos) matched += line + "\n";
    return Answer{matched, false, {}, {}};
}

Counters Board::counters() const {
    std::lock_guard lock(mutex_);
    return radio_.counters();
}

bool Board::test_mode() const {
    std::lock_guard lock(mutex_);
    return radio_.test_mode();
}

std::string Board::flash_value(const std::string& name) const {
    std::lock_guard lock(mutex_);
    const std::string* value = flash_.find(name);
    return value ? *value : std::string();
}

void Board::set_flash_value(const std::string& name, const std::string& value) {
    std::lock_guard lock(mutex_);
    flash_.set(name, value);
}

}  // namespace mpboard
