// Flash parameter store with its factory seed and the optional backing file.
#include "flash_store.h"

#include <cctype>
#include <fstream>

namespace mpboard {
namespace {

// A board as it leaves calibration: addresses, crystal trim, thermal
// reference and the transmit power index tables for channels 1 to 14,
// two hex digits per channel (difference tables: high digit path B, low
// digit path A, each a signed 4-bit step).
const std::map<std::string, std::string>& factory_seed() {
    static const std::map<std::string, std::string> seed{
        {"MAC_ADDR", "020000000002"},
        {"REG_DOMAIN", "1"},
        {"XCAP", "32"},
        {"THER", "30"},
        {"TXPWR_CCK_A", "2A2A2A2B2B2B2B2C2C2C2D2D2D2D"},
        {"TXPWR_CCK_B", "28282829292929292A2A2A2A2B2B"},
        {"TXPWR_HT40_1S_A", "2C2C2C2D2D2D2D2E2E2E2E2F2F2F"},
        {"TXPWR_HT40_1S_B", "2A2A2A2B2B2B2B2C2C2C2C2D2D2D"},
        {"TXPWR_DIFF_HT40_2S", "0000000000000000000000000000"},
        {"TXPWR_DIFF_HT20", "1111111111111111111111111111"},
        {"TXPWR_DIFF_OFDM", "2121212121212121212121F2F2F2"},
    };
    return seed;
}

}  // namespace

std::vector<std::string> factory_flash_names() {
    std::vector<std::string> names;
    for (const auto& [name, value] : factory_seed()) names.push_back(name);
    return names;
}

bool valid_flash_name(const std::string& name) {
    if (name.empty()) return false;
    for (unsigned char c : name)
        if (!std::isalnum(c) && c != '_') return false;
    return true;
}

FlashStore::FlashStore(std::string file) : file_(std::move(file)), values_(factory_seed()) { load(); }

const std::string* FlashStore::find(const std::string& name) const {
    auto it = values_.find(name);
    return it == values_.end() ? nullptr : &it->second;
}

void FlashStore::set(const std::string& name, const std::string& value) {
    values_[name] = value;
    save();
}

void FlashStore::load() {
    if (file_.empty()) return;
    std::ifstream in(file_);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        auto eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = line.substr(0, eq);
        if (valid_flash_name(name)) values_[name] = line.substr(eq + 1);
    }
}

void FlashStore::save() const {
    if (file_.empty()) return;
    std::ofstream out(file_, std::ios::trunc);
    for (const auto& [name, value] : values_) out << name << '=' << value << '\n';
}

}  // namespace mpboard
