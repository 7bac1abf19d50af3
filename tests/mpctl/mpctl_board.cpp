// The shared board fixture of the mpctl suites.
#include "mpctl_board.h"

#include <algorithm>

namespace mpctl_test {

void MpctlBoard::start(mpboard::Faults faults, mpboard::Measurements measurements) {
    session_.reset();
    mpboard::Options options;
    options.password = board_password;
    options.faults = faults;
    options.measurements = measurements;
    session_ = std::make_unique<mpdll::test::SimulatedBoard>(options);
    board_ = &session_->board();
}

std::vector<std::string> MpctlBoard::telnet() const {
    return {"--telnet", "127.0.0.1:" + std::to_string(board_->telnet_port()), "--password", board_password};
}

std::vector<std::string> MpctlBoard::udp() const { return {"--udp", session_->udp_address()}; }

std::vector<std::string> MpctlBoard::serial() const { return {"--serial", board_->serial_path()}; }

std::vector<std::string> MpctlBoard::connection(const std::string& transport) const {
    return transport == "telnet" ? telnet() : transport == "udp" ? udp() : serial();
}

std::vector<std::string> MpctlBoard::with(std::vector<std::string> connection, const std::vector<std::string>& rest) {
    connection.insert(connection.end(), rest.begin(), rest.end());
    return connection;
}

std::size_t MpctlBoard::times_sent(const std::string& line) const {
    const auto commands = board_->commands();
    return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), line));
}

Json json_of(const ProcessResult& run) {
    Json json = Json::parse(run.out, nullptr, /*allow_exceptions=*/false);
    EXPECT_FALSE(json.is_discarded()) << "not JSON: " << run.out << run.err;
    return json.is_discarded() ? Json() : json;
}

Json* find_step(Json& steps_holder, const std::string& text) {
    for (Json& step : steps_holder["steps"]) {
        if (step["step"] == text) {
            return &step;
        }
    }
    return nullptr;
}

std::string source_path(const std::string& relative) { return MPDLL_SOURCE_DIR "/" + relative; }

}  // namespace mpctl_test
