// `mpctl run PLAN --board ... --board ...`: one plan on three boards at once,
// one per connection, each tagged with its serial number; one of them loses
// a fifth of its frames and fails its limits, the others pass. One table, one JSON document and
// one JUnit report over all of them.
#include "mpctl_board.h"

#include <gtest/gtest.h>
#include <tinyxml2.h>

#include <memory>
#include <string>
#include <vector>

namespace mpctl_test {
namespace {

using mpdll::test::SimulatedBoard;
using mpdll::test::Transport;

struct BoardCase {
    Transport transport;
    const char* serial_number;
    mpboard::Measurements readings;
};

// The three boards; the UDP one is lossy.
const std::vector<BoardCase> board_cases = {
    {Transport::telnet, "SN-TEL-1", {}},
    {Transport::serial, "SN-SER-2", {}},
    {Transport::udp, "SN-UDP-3", {.packet_error_rate = 20}},
};

bool lossy(const BoardCase& c) { return c.readings.packet_error_rate > 0; }
const char* const counters_step = "query expect txOk>=95 txFail<=5";
const char* const counters_failure = "txOk is 80, not >=95; txFail is 20, not <=5";

constexpr int wait_ms = 1500;

class SeveralBoards : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const BoardCase& c : board_cases) {
            mpboard::Options options;
            options.password = board_password;
            options.measurements = c.readings;
            boards_.push_back(std::make_unique<SimulatedBoard>(c.transport, options));
        }
    }

    // mpctl run PLAN with every board and its serial number, and rest.
    std::vector<std::string> run_args(const std::string& plan, const std::vector<std::string>& rest) const {
        std::vector<std::string> args{"--password", board_password};
        args.insert(args.end(), rest.begin(), rest.end());
        args.insert(args.end(), {"run", "--keep-going", plan});
        for (std::size_t i = 0; i < boards_.size(); ++i) {
            const std::string where =
                board_cases[i].transport == Transport::telnet   ? "telnet:" + boards_[i]->telnet_address()
                : board_cases[i].transport == Transport::serial ? "serial:" + boards_[i]->serial_path()
                                                                : "udp:" + boards_[i]->udp_address();
            args.insert(args.end(), {"--board", where, "--serial-number", board_cases[i].serial_number});
        }
        return args;
    }

    // A fresh UDP board starts out of test mode: the automatic entry must
    // switch it on for the transmit test to run.
    std::string plan_ = write_temp_file("three.plan",
                                        "tx start --channel 6 --rate 54M --count 100\n"
                                        "tssi expect 30..80\n" +
                                            std::string(counters_step) +
                                            "\n"
                                            "tx stop\n"
                                            "wait " +
                                            std::to_string(wait_ms) +
                                            "\n"
                                            "chip version\n");
    std::vector<std::unique_ptr<SimulatedBoard>> boards_;
};

// Standard error is a terminal here: the progress line shows every board.
TEST_F(SeveralBoards, RunTheirPlanAtOnceInOneTableAndOneJUnitReport) {
    const std::string junit = write_temp_file("three.xml", "");
    const ProcessResult run = run_mpctl_on_terminal(run_args(plan_, {"--junit", junit}), 200);
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    // The boards run at once: the progress line shows all three in their
    // wait together (a clock would only say so on an idle machine).
    const std::string waiting = "\r\033[K" + std::string("SN-TEL-1 5/6 wait ") + std::to_string(wait_ms) +
                                " | SN-SER-2 5/6 wait " + std::to_string(wait_ms) + " | SN-UDP-3 5/6 wait " +
                                std::to_string(wait_ms);
    EXPECT_NE(run.err.find(waiting), std::string::npos) << "no progress line of three waiting boards in\n" << run.err;
    EXPECT_NE(run.err.find("SN-TEL-1 passed | SN-SER-2 passed | SN-UDP-3 FAILED"), std::string::npos) << run.err;
    EXPECT_TRUE(run.err.ends_with("\r\033[K")) << "the progress line was left on the screen";

    for (const BoardCase& c : board_cases) {
        const std::string row = c.serial_number + std::string("  3     ") + counters_step;
        const std::size_t at = run.out.find(row);
        ASSERT_NE(at, std::string::npos) << row << "\n" << run.out;
        const std::string line = run.out.substr(at, run.out.find('\n', at) - at);
        EXPECT_NE(line.find(lossy(c) ? " failed " : " passed "), std::string::npos) << line;
        EXPECT_EQ(line.find(counters_failure) != std::string::npos, lossy(c)) << line;
    }
    for (const char* summary :
         {"SN-TEL-1: passed, 8 steps: 8 passed", "SN-SER-2: passed, 8 steps: 8 passed",
          "SN-UDP-3: FAILED, 8 steps: 7 passed, 1 failed, 0 not run", "3 boards: 2 passed, 1 failed"}) {
        EXPECT_NE(run.out.find(summary), std::string::npos) << summary << "\n" << run.out;
    }

    tinyxml2::XMLDocument report;
    ASSERT_EQ(report.LoadFile(junit.c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* suites = report.FirstChildElement("testsuites");
    ASSERT_NE(suites, nullptr);
    EXPECT_EQ(suites->IntAttribute("tests"), 24);
    EXPECT_EQ(suites->IntAttribute("failures"), 1);
    std::size_t i = 0;
    for (const tinyxml2::XMLElement* suite = suites->FirstChildElement("testsuite"); suite != nullptr;
         suite = suite->NextSiblingElement("testsuite"), ++i) {
        ASSERT_LT(i, board_cases.size());
        const bool failing = lossy(board_cases[i]);
        EXPECT_STREQ(suite->Attribute("name"), board_cases[i].serial_number);
        EXPECT_EQ(suite->IntAttribute("tests"), 8);
        EXPECT_EQ(suite->IntAttribute("failures"), failing ? 1 : 0) << board_cases[i].serial_number;
        EXPECT_EQ(suite->IntAttribute("skipped"), 0) << board_cases[i].serial_number;
        for (const tinyxml2::XMLElement* test = suite->FirstChildElement("testcase"); test != nullptr;
             test = test->NextSiblingElement("testcase")) {
            const tinyxml2::XMLElement* failure = test->FirstChildElement("failure");
            EXPECT_EQ(failure != nullptr, failing && test->Attribute("name") == "3: " + std::string(counters_step))
                << test->Attribute("name");
            if (failure != nullptr) {
                EXPECT_STREQ(failure->Attribute("message"), counters_failure);
            }
        }
    }
    EXPECT_EQ(i, board_cases.size());
}

TEST_F(SeveralBoards, GiveOneJsonDocumentWithEachBoardsSteps) {
    const ProcessResult run = run_mpctl(run_args(plan_, {"--json"}));
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    Json json = json_of(run);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["passed"], 23);
    EXPECT_EQ(json["failed"], 1);
    EXPECT_EQ(json["not_run"], 0);
    ASSERT_EQ(json["boards"].size(), board_cases.size());
    for (std::size_t i = 0; i < board_cases.size(); ++i) {
        Json& board = json["boards"][i];
        const bool failing = lossy(board_cases[i]);
        EXPECT_EQ(board["serial_number"], board_cases[i].serial_number);
        EXPECT_EQ(board["ok"], !failing) << board_cases[i].serial_number;
        Json& counters = *find_step(board, counters_step);
        EXPECT_EQ(counters["values"]["txOk"], failing ? 80 : 97) << board_cases[i].serial_number;
        EXPECT_EQ(counters["state"], failing ? "failed" : "passed");
        EXPECT_EQ(counters["checks"].size(), 2u);
        EXPECT_EQ(find_step(board, "chip version")->operator[]("state"), "passed");
    }
    EXPECT_EQ(json["boards"][2]["board"], "udp " + boards_[2]->udp_address());
}

}  // namespace
}  // namespace mpctl_test
