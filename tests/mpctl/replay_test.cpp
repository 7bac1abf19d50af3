// Record and replay: a session recorded from the simulator (mpctl --record,
// MPDLL_RECORD) and replayed by mpboard's replay gives the same statuses and
// values to the same plan, and the replay's recording holds the same bytes.
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "mpctl_process.h"
#include "replay_board.h"
#include "support/board_under_test.h"
#include "support/recording_reader.h"

namespace mpctl_test {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;
using mpdll::test::Transport;

const char* const kRecordedPassword = "pw-Secret9";

// The short check, then a flash value written and read again: the same
// line twice with two answers.
const char* const plan =
    "enter\ntestmode start\ntx start --channel 6 --rate 54M --count 100\nquery\ntx stop\nchip version\n"
    "flash get XCAP\nflash set XCAP 40\nflash get XCAP\n";

enum class Recorder { mpctl, environment };

struct RoundTripCase {
    const char* name;
    Transport transport;
    Recorder recorder;
    void (*configure)(mpboard::Options&);
    double speed;
};
void PrintTo(const RoundTripCase& c, std::ostream* os) { *os << c.name; }

// What a run's steps came to, the open's own name (its address) left out.
Json outcomes(const std::string& out) {
    Json json = Json::parse(out, nullptr, /*allow_exceptions=*/false);
    EXPECT_FALSE(json.is_discarded()) << out;
    Json steps = Json::array();
    if (json.is_discarded()) return steps;
    for (const Json& step : json["steps"])
        steps.push_back({step.value("state", ""), step.value("status", 0), step.value("values", Json::object())});
    return steps;
}

class RecordAndReplay : public ::testing::TestWithParam<RoundTripCase> {
  protected:
    void SetUp() override {
        directory_ = fs::path(::testing::TempDir()) / ("mpdll-replay-" + std::to_string(::getpid()) + "-" +
                                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(directory_);
        fs::create_directories(directory_ / "recorded");
        plan_ = write_temp_file("replay.plan", plan);
    }
    void TearDown() override { fs::remove_all(directory_); }

    static std::vector<std::string> connection(Transport transport, int telnet_port, const std::string& udp_address,
                                               const std::string& serial_path) {
        switch (transport) {
            case Transport::telnet:
                return {"--telnet", "127.0.0.1:" + std::to_string(telnet_port), "--password", kRecordedPassword};
            case Transport::udp:
                return {"--udp", udp_address};
            default:
                return {"--serial", serial_path};
        }
    }

    // Runs the plan with mpctl, recording as the case says; the recording's path.
    std::string run_recorded(const std::vector<std::string>& connection, Recorder recorder, const std::string& name,
                             Json& steps) {
        std::vector<std::string> args = connection;
        const fs::path folder = directory_ / name;
        fs::create_directories(folder);
        if (recorder == Recorder::mpctl) {
            args.insert(args.end(), {"--record", (folder / "session.cast").string()});
        } else {
            ::setenv("MPDLL_RECORD", folder.c_str(), 1);
        }
        args.insert(args.end(), {"--json", "run", plan_});
        const ProcessResult run = run_mpctl(args);
        ::unsetenv("MPDLL_RECORD");
        EXPECT_EQ(run.exit_code, 0) << run.out << run.err;
        steps = outcomes(run.out);
        std::vector<fs::path> files;
        for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
        EXPECT_EQ(files.size(), 1u) << "one recording per opened record";
        return files.empty() ? "" : files.front().string();
    }

    fs::path directory_;
    std::string plan_;
};

TEST_P(RecordAndReplay, TheReplayAnswersThePlanAsTheBoardDid) {
    const RoundTripCase& c = GetParam();
    mpboard::Options options;
    options.password = kRecordedPassword;
    c.configure(options);
    Json recorded_steps, replayed_steps;
    std::string recording;
    {
        mpdll::test::SimulatedBoard board(c.transport, options);
        recording =
            run_recorded(connection(c.transport, board.board().telnet_port(), board.udp_address(), board.serial_path()),
                         c.recorder, "board", recorded_steps);
    }
    ASSERT_FALSE(recording.empty());

    mpboard::Options endpoints;
    endpoints.telnet_port = 0;
    endpoints.udp_address = mpdll::test::own_udp_address();
    mpboard::ReplayBoard replay(mpboard::ReplayScript::load(recording), endpoints, c.speed);
    replay.start();
    const std::string replayed =
        run_recorded(connection(c.transport, replay.telnet_port(), endpoints.udp_address, replay.serial_path()),
                     c.recorder, "replay", replayed_steps);
    ASSERT_FALSE(replayed.empty());

    EXPECT_EQ(replayed_steps, recorded_steps);
    const auto original = mpdll::test::read_recording(recording);
    const auto copy = mpdll::test::read_recording(replayed);
    EXPECT_EQ(copy.call_ends, original.call_ends);
    ASSERT_EQ(copy.exchanges.size(), original.exchanges.size());
    for (std::size_t i = 0; i < original.exchanges.size(); ++i)
        EXPECT_EQ(copy.exchanges[i], original.exchanges[i]) << "exchange " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Boards, RecordAndReplay,
    ::testing::Values(RoundTripCase{"TelnetStandardLogin", Transport::telnet, Recorder::mpctl, [](mpboard::Options&) {},
                                    0},
                      RoundTripCase{"TelnetBannerTogetherCrNul", Transport::telnet, Recorder::environment,
                                    [](mpboard::Options& o) {
                                        o.login = mpboard::LoginStyle::together;
                                        o.banner = "Board rev B\r\n";
                                        o.login_cr_nul = true;
                                        o.password_prompt_delay_ms = 100;
                                    },
                                    1},
                      RoundTripCase{"TelnetNoEchoSlowAnswers", Transport::telnet, Recorder::mpctl,
                                    [](mpboard::Options& o) {
                                        o.faults.no_echo = true;
                                        o.faults.answer_delay_ms = 150;
                                    },
                                    1},
                      RoundTripCase{"TelnetNoLoginChunked", Transport::telnet, Recorder::environment,
                                    [](mpboard::Options& o) {
                                        o.login = mpboard::LoginStyle::none;
                                        o.faults.chunk_size = 7;
                                        o.faults.split_prompt = true;
                                    },
                                    0},
                      RoundTripCase{"Serial", Transport::serial, Recorder::environment, [](mpboard::Options&) {}, 0},
                      RoundTripCase{"Udp", Transport::udp, Recorder::mpctl,
                                    [](mpboard::Options& o) { o.faults.udp_delay_ms = 50; }, 1}),
    [](const ::testing::TestParamInfo<RoundTripCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpctl_test
