// How the simulated driver carries out its test-mode commands.
#include "radio.h"

#include <algorithm>
#include <cstdio>

#include "text_parse.h"

namespace mpboard {
namespace {

constexpr const char* kNoAddress = "00:00:00:00:00:00";
constexpr int kThermalRise = 12;  // the most a long TX run heats the chip above its reference

Answer failure(const std::string& command, const char* why) {
    return Answer{command + ": " + why + "\n", true, {}, {}};
}

Answer invalid(const std::string& command) { return failure(command, "Invalid argument"); }

bool valid_rate(long long code) {
    static const int legacy[] = {2, 4, 11, 22, 12, 18, 24, 36, 48, 72, 96, 108};
    if (code >= 128 && code <= 143) return true;
    return std::find(std::begin(legacy), std::end(legacy), code) != std::end(legacy);
}

bool valid_channel(long long channel) { return (channel >= 1 && channel <= 14) || (channel >= 36 && channel <= 177); }

// "NAME=N" with N in [low, high].
bool parse_setting(const std::string& item, const char* name, long long low, long long high, int& out) {
    std::string prefix = std::string(name) + "=";
    long long value = 0;
    if (item.rfind(prefix, 0) != 0 || !parse_int(std::string_view(item).substr(prefix.size()), value)) return false;
    if (value < low || value > high) return false;
    out = static_cast<int>(value);
    return true;
}

bool same_address(const std::string& a, const char* b) { return to_upper(a) == to_upper(b); }

}  // namespace

Radio::Radio(int thermal_reference, const Measurements& measurements)
    : measurements_(measurements),
      thermal_reference_(measurements.thermal >= 0 ? measurements.thermal : thermal_reference),
      thermal_(thermal_reference_) {}

Answer Radio::run(const std::string& label, const std::string& command, const std::string& args) {
    if (command == "mp_start") {
        test_mode_ = true;
        return {};
    }
    if (!test_mode_) return failure(command, "Operation not permitted (test mode is off)");
    if (command == "mp_stop") {
        test_mode_ = tx_running_ = rx_running_ = tracking_ = false;
        return {};
    }
    if (command == "mp_arx") return receive(label, args);
    if (command == "mp_ctx") return transmit(args);
    if (command == "mp_pwrtrk") return power_tracking(args);
    if (command == "mp_query") return query(label);
    if (command == "mp_ther") return thermal(label);
    if (command == "mp_tssi") return tssi(label);
    return settings(command, args);
}

Answer Radio::settings(const std::string& command, const std::string& args) {
    long long value = 0;
    if (command == "mp_rate") {
        if (!parse_int(args, value) || !valid_rate(value)) return invalid(command);
        rate_ = static_cast<int>(value);
    } else if (command == "mp_channel") {
        if (!parse_int(args, value) || !valid_channel(value)) return invalid(command);
        channel_ = static_cast<int>(value);
    } else if (command == "mp_bandwidth") {
        auto items = split_on(args, ',');
        int bw = 0, gi = 0;
        if (items.size() != 2 || !parse_setting(items[0], "40M", 0, 1, bw) ||
            !parse_setting(items[1], "shortGI", 0, 1, gi))
            return invalid(command);
        bw40_ = bw;
        short_gi_ = gi;
    } else if (command == "mp_txpower") {
        if (args == "addbyrate") return {};
        auto items = split_on(args, ',');
        int a = 0, b = 0;
        if (items.size() != 2 || !parse_setting(items[0], "patha", 0, 63, a) ||
            !parse_setting(items[1], "pathb", 0, 63, b))
            return invalid(command);
        power_a_ = a;
        power_b_ = b;
    } else if (command == "mp_phypara") {
        if (!parse_setting(args, "xcap", 0, 63, xcap_)) return invalid(command);
    } else if (command == "mp_bssid") {
        if (!is_mac_address(args)) return invalid(command);
        bssid_ = args;
    } else if (command == "mp_ant_tx" || command == "mp_ant_rx") {
        std::string antenna = to_upper(args);
        if (antenna != "A" && antenna != "B" && antenna != "AB") return invalid(command);
        (command == "mp_ant_tx" ? ant_tx_ : ant_rx_) = args;
    } else {
        return failure(command, "unknown private command");
    }
    return {};
}

Answer Radio::receive(const std::string& label, const std::string& args) {
    auto set_filter = [&](std::string& filter, std::size_t prefix) -> Answer {
        std::string address = args.substr(prefix);
        if (!address.empty() && !is_mac_address(address)) return invalid("mp_arx");
        filter = address;
        return {};
    };
    if (args == "start") {
        rx_running_ = true;
        counters_.rx_ok = counters_.crc_error = 0;
    } else if (args == "stop") {
        rx_running_ = false;
    } else if (args == "filter_init") {
        filter_sa_.clear(), filter_da_.clear(), filter_bssid_.clear();
    } else if (args == "filter_clean") {
        // The driver confirms the cleared filter set with its report.
        filter_sa_.clear(), filter_da_.clear(), filter_bssid_.clear();
        return Answer{filter_report(label), false, {}, {}};
    } else if (args == "filter_print") {
        return Answer{filter_report(label), false, {}, {}};
    } else if (args.rfind("filter_DA=", 0) == 0) {
        return set_filter(filter_da_, 10);
    } else if (args.rfind("filter_SA=", 0) == 0) {
        return set_filter(filter_sa_, 10);
    } else if (args.rfind("filter_BSSID=", 0) == 0) {
        return set_filter(filter_bssid_, 13);
    } else {
        return invalid("mp_arx");
    }
    return {};
}

std::string Radio::filter_report(const std::string& label) const {
    int flag = (filter_da_.empty() ? 0 : 1) | (filter_sa_.empty() ? 0 : 2) | (filter_bssid_.empty() ? 0 : 4);
    auto shown = [](const std::string& filter) { return filter.empty() ? std::string(kNoAddress) : filter; };
    return label + "mp_arx:FLAG:" + std::to_string(flag) + "\n  SA:" + shown(filter_sa_) +
           "\n  DA:" + shown(filter_da_) + "\n  BSSID:" + shown(filter_bssid_) + "\n";
}

Answer Radio::transmit(const std::string& args) {
    if (args == "stop") {
        tx_running_ = false;
        return {};
    }
    bool packets = true;
    long long limit = 0;
    int number = 0;
    for (const auto& item : split_on(args, ',')) {
        if (item == "pkt" || item == "background" || item == "start") continue;
        if (item == "stone" || item == "cs") {
            packets = false;
        } else if (parse_setting(item, "count", 0, 0x7fffffff, number)) {
            limit = number;
        } else if (!parse_setting(item, "time", 0, 0x7fffffff, number)) {
            return invalid("mp_ctx");
        }
    }
    tx_running_ = true;
    tx_packets_ = packets;
    tx_limit_ = limit;
    counters_.tx_ok = counters_.tx_fail = 0;
    return {};
}

Answer Radio::power_tracking(const std::string& args) {
    int reference = 0;
    if (args == "start") {
        tracking_ = true;
        tracking_reference_ = thermal_reference_;
    } else if (args == "stop") {
        tracking_ = false;
    } else if (parse_setting(args, "ther", 0, 63, reference)) {
        tracking_ = true;
        tracking_reference_ = reference;
    } else {
        return invalid("mp_pwrtrk");
    }
    return {};
}

// Of `frames`, how many are lost or damaged: the share the board was given,
// or else own_failed of every own_total.
long long Radio::failed_share(long long frames, long long own_failed, long long own_total) const {
    const long long percent = measurements_.packet_error_rate;
    return percent >= 0 ? frames * std::min(percent, 100LL) / 100 : frames * own_failed / own_total;
}

void Radio::count_frames(const AirSource& source) {
    if (!filter_sa_.empty() && !same_address(filter_sa_, source.sa)) return;
    if (!filter_da_.empty() && !same_address(filter_da_, source.da)) return;
    if (!filter_bssid_.empty() && !same_address(filter_bssid_, source.bssid)) return;
    const long long frames = source.intact + source.damaged;
    const long long damaged = failed_share(frames, source.damaged, frames);
    counters_.rx_ok += frames - damaged;
    counters_.crc_error += damaged;
}

// A burst with a packet count is all on the air by the next reading; without
// a count, one reading's worth goes out.
void Radio::send_frames() {
    const long long sent = counters_.tx_ok + counters_.tx_fail;
    const long long frames = tx_limit_ > 0 ? tx_limit_ - sent : tx_ok_per_query + tx_fail_per_query;
    const long long failed = failed_share(frames, tx_fail_per_query, tx_ok_per_query + tx_fail_per_query);
    counters_.tx_ok += frames - failed;
    counters_.tx_fail += failed;
    if (tx_limit_ > 0) tx_running_ = false;
}

void Radio::advance_one_query() {
    if (tx_running_ && tx_packets_) send_frames();
    if (rx_running_) {
        count_frames(kTester);
        count_frames(kNeighbour);
    }
}

Answer Radio::query(const std::string& label) {
    advance_one_query();
    char line[160];
    std::snprintf(line, sizeof line, "Tx OK:%lld, Tx Fail:%lld, Rx OK:%lld, CRC error:%lld",
                  static_cast<long long>(counters_.tx_ok), static_cast<long long>(counters_.tx_fail),
                  static_cast<long long>(counters_.rx_ok), static_cast<long long>(counters_.crc_error));
    return Answer{label + "mp_query:" + line + "\n", false, line, {}};
}

Answer Radio::thermal(const std::string& label) {
    // The chip warms up one step per reading while it transmits and cools
    // back towards its reference otherwise.
    if (tx_running_ && thermal_ < thermal_reference_ + kThermalRise) {
        ++thermal_;
    } else if (!tx_running_ && thermal_ > thermal_reference_) {
        --thermal_;
    }
    return Answer{label + "mp_ther:" + std::to_string(thermal_) + "\n", false, {}, {}};
}

Answer Radio::tssi(const std::string& label) {
    const int own = 40 + power_a_ / 2;
    const int value = tx_running_ ? (measurements_.tssi >= 0 ? measurements_.tssi : own) : 0;
    return Answer{label + "mp_tssi:" + std::to_string(value) + "\n", false, std::to_string(value), {}};
}

}  // namespace mpboard
