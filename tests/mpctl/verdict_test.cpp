// Each step's verdict: no success that the library or the board did not
// give (outputs the library left unwritten, refusals under --strict, rate
// and channel names it does not know), the limits of --expect, and the plan
// check that lists every faulty line before anything reaches the board.
#include "mpctl_board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace mpctl_test {
namespace {

struct InventedCase {
    const char* why;
    const char* transport;
    std::vector<std::string> args;
    int exit_code;
    std::string said;  // in the failed step's reason (exit 1) or on standard error (exit 2)
};

// Each case on a fresh board, whose radio starts out of test mode.
TEST_F(MpctlBoard, NoSuccessIsReportedThatTheLibraryOrTheBoardDidNotGive) {
    const std::vector<InventedCase> cases = {
        {"thermal over UDP", "udp", {"ther"}, 1, "the library wrote no thermal"},
        {"power tracking thermal over UDP", "udp", {"pwrtrk", "query"}, 1, "the library wrote no thermal"},
        {"filter addresses over UDP", "udp", {"rx", "filter", "print"}, 1, "the library wrote no da, sa, bssid"},
        {"transmit refused over telnet",
         "telnet",
         {"--strict", "--no-enter", "tx", "start", "--channel", "6", "--rate", "54M"},
         1,
         "the board refused (\"not permitted\"): mp_ctx: Operation not permitted (test mode is off)"},
        {"transmit refused on the console",
         "serial",
         {"--strict", "--no-enter", "tx", "start", "--channel", "6", "--rate", "54M"},
         1,
         "the board refused (\"not permitted\")"},
        {"unknown rate 55M", "telnet", {"--strict", "rate", "55M"}, 2, "unknown rate \"55M\""},
        {"unknown rate banana",
         "serial",
         {"--strict", "tx", "start", "--channel", "6", "--rate", "banana"},
         2,
         "unknown rate \"banana\""},
        {"channel 99", "udp", {"--strict", "channel", "99"}, 2, "unknown channel \"99\""},
        {"frequency of no channel",
         "telnet",
         {"--strict", "rx", "start", "--channel", "2440MHz"},
         2,
         "unknown channel \"2440MHz\""},
    };
    for (const InventedCase& c : cases) {
        start();
        const ProcessResult run = run_mpctl(with(connection(c.transport), with({"--json"}, c.args)));
        EXPECT_EQ(run.exit_code, c.exit_code) << c.why << "\n" << run.out << run.err;
        if (c.exit_code == 2) {
            EXPECT_NE(run.err.find(c.said), std::string::npos) << c.why << ": " << run.err;
            EXPECT_TRUE(board_->commands().empty()) << c.why << ": the board got " << board_->commands().front();
            continue;
        }
        Json json = json_of(run);
        Json& step = json["steps"].back();
        EXPECT_EQ(step["state"], "failed") << c.why;
        EXPECT_EQ(step["status"], 0) << c.why << ": the library's own status stays as it was";
        EXPECT_NE(step.value("reason", std::string()).find(c.said), std::string::npos) << c.why << ": " << step;
        EXPECT_TRUE(step["values"].empty()) << c.why << ": a value was made up: " << step["values"];
    }
}

struct StrictCase {
    const char* why;
    std::string plan;
    std::vector<std::string> options;
    int exit_code;
    std::string reason;  // of the failed step; "" when every step passes
};

// The library takes any telnet or serial answer to a setting for success;
// --strict reads it, without being misled by the echo of the line.
TEST_F(MpctlBoard, StrictJudgesTheAnswersToSettingsOverTelnetAndTheConsole) {
    const std::string off = "testmode stop\ntx start --channel 6 --rate 54M\n";
    const std::string down = "enter\nsend \"ifconfig wlan0 down\"\nrate 54M\n";
    const std::vector<StrictCase> cases = {
        {"refusal taken for success without --strict", off, {}, 0, ""},
        {"refusal fails the setting under --strict", off, {"--strict"}, 1, "(\"not permitted\")"},
        {"invalid flash name", "flash set bad-name 1\n", {"--strict"}, 1, "invalid parameter name"},
        {"accepted settings whose lines hold refusal words",
         "enter\nflash set ERROR_COUNT 0\ntx start --channel 6 --rate 54M\nrate 1M\n",
         {"--strict"},
         0,
         ""},
        {"an answer outside the list", down, {"--strict"}, 0, ""},
        {"the list extended with --refusal",
         down,
         {"--strict", "--refusal", "NETWORK IS DOWN"},
         1,
         "(\"NETWORK IS DOWN\"): mp_rate: Network is down"},
    };
    for (const char* transport : {"telnet", "serial"}) {
        for (const StrictCase& c : cases) {
            start();
            const std::string plan = write_temp_file("strict.plan", c.plan);
            std::vector<std::string> args = with(connection(transport), c.options);
            const ProcessResult run = run_mpctl(with(args, {"--json", "run", plan}));
            EXPECT_EQ(run.exit_code, c.exit_code) << transport << ": " << c.why << "\n" << run.out << run.err;
            Json json = json_of(run);
            const bool failing = c.exit_code == 1;
            EXPECT_EQ(json["failed"], failing ? 1 : 0) << transport << ": " << c.why;
            for (Json& step : json["steps"]) {
                if (step["state"] == "failed") {
                    EXPECT_NE(step.value("reason", std::string()).find(c.reason), std::string::npos)
                        << transport << ": " << c.why << ": " << step;
                }
            }
        }
    }
}

struct LimitCase {
    const char* why;
    mpboard::Measurements readings;
    int exit_code;
    std::vector<std::string> failed_checks;  // the checks that fail, each with why
};

// The limits of a plan on boards that keep them and on boards that do not;
// the same checks as numbers, hexadecimal numbers, texts and choices.
TEST_F(MpctlBoard, ExpectedLimitsGiveEachStepItsVerdict) {
    const std::string plan = write_temp_file("limits.plan",
                                             "tx start --channel 6 --rate 54M --power-a 30 --count 100\n"
                                             "tssi expect 30..80\n"
                                             "query expect txOk>=95 txFail<=5\n"
                                             "ther expect 20..60\n"
                                             "tx stop\n"
                                             "rx start --channel 6\n"
                                             "rx query\n"
                                             "rx reset\n"
                                             "rx query expect rxOk==117 crcError<4\n"
                                             "reg set 0 36 1a2b\n"
                                             "reg get 0 36 expect 0x1a2b\n"
                                             "chip version expect version=C|B\n"
                                             "flash get XCAP expect value!=33\n");
    const std::vector<LimitCase> cases = {
        {"a board in its limits", {}, 0, {}},
        {"hot", {.thermal = 75}, 1, {"thermal is 75, not 20..60"}},
        {"weak TSSI", {.tssi = 5}, 1, {"tssi is 5, not 30..80"}},
        {"lossy",
         {.packet_error_rate = 20},
         1,
         {"txOk is 80, not >=95", "txFail is 20, not <=5", "rxOk is 96, not ==117", "crcError is 24, not <4"}},
    };
    for (const LimitCase& c : cases) {
        start({}, c.readings);
        const ProcessResult run = run_mpctl(with(telnet(), {"--json", "run", "--keep-going", plan}));
        EXPECT_EQ(run.exit_code, c.exit_code) << c.why << "\n" << run.out << run.err;
        Json json = json_of(run);
        std::vector<std::string> failed;
        for (Json& step : json["steps"]) {
            for (Json& check : step["checks"]) {
                if (check["passed"] == false) {
                    failed.push_back(check["why"]);
                    EXPECT_EQ(step["state"], "failed") << c.why;
                }
            }
        }
        EXPECT_EQ(failed, c.failed_checks) << c.why << "\n" << run.out;
        EXPECT_EQ(find_step(json, "tssi expect 30..80")->operator[]("checks")[0]["check"], "tssi=30..80") << c.why;
    }
}

TEST_F(MpctlBoard, ExpectOnTheCommandLineSaysTheVerdict) {
    start({}, {.thermal = 75});
    const ProcessResult hot = run_mpctl(with(telnet(), {"ther", "--expect", "20..60"}));
    EXPECT_EQ(hot.exit_code, 1) << hot.out << hot.err;
    EXPECT_NE(hot.out.find("verdict: failed: thermal is 75, not 20..60"), std::string::npos) << hot.out;
    const ProcessResult kept = run_mpctl(with(telnet(), {"ther", "--expect", "thermal>=70", "thermal<=80"}));
    EXPECT_EQ(kept.exit_code, 0) << kept.out << kept.err;
    EXPECT_NE(kept.out.find("verdict: passed (thermal>=70, thermal<=80)"), std::string::npos) << kept.out;
}

// Five faulty lines among good ones: each is named at once, with the same
// words on every connection, and not one line reaches the board.
TEST_F(MpctlBoard, APlanCheckListsEveryFaultyLineAndSendsNothing) {
    start();
    using namespace std::string_literals;
    const std::string plan = write_temp_file("faulty.plan",
                                             "enter\n"
                                             "qeury\n"
                                             "flash set SSID lab\0-5G\n"s
                                             "flash set SSID " +
                                                 std::string(3000, 'x') +
                                                 "\n"
                                                 "reg get 0\n"
                                                 "query expect rxOk>=lots\n"
                                                 "tx stop\n");
    const std::vector<std::string> faults = {
        plan + ":2: unknown operation \"qeury\"; the nearest is \"query\"",
        plan + ":3: the line holds a NUL byte",
        plan + ":4: VALUE is too long: its line for the board would be 3015 characters",
        plan + ":5: reg get: B is missing (Second register selector)",
        plan + ":6: --expect: \"rxOk>=lots\": \"lots\" is not a number",
    };
    for (const char* transport : {"telnet", "serial", "udp"}) {
        const ProcessResult run = run_mpctl(with(connection(transport), {"run", plan}));
        EXPECT_EQ(run.exit_code, 2) << transport << run.out << run.err;
        for (const std::string& fault : faults) {
            EXPECT_NE(run.err.find("mpctl: " + fault), std::string::npos) << transport << ": " << fault << "\n"
                                                                          << run.err;
        }
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 5) << transport << ": " << run.err;
        EXPECT_TRUE(run.out.empty()) << transport << ": " << run.out;
    }
    EXPECT_TRUE(board_->commands().empty()) << "the board got " << board_->commands().front();
}

}  // namespace
}  // namespace mpctl_test
