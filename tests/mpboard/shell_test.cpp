// The board's shell over telnet: echo at the start, output with CR LF, the
// prompt at the end, line ends, write framing and name substitution.
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "board_clients.h"

namespace mpboard::testing {
namespace {

class Shell : public ::testing::Test {
  protected:
    void open(Options o) {
        options_ = o;
        board_ = std::make_unique<Simulator>(o);
        board_->start();
        client_ = std::make_unique<TelnetClient>(board_->telnet_port());
        log_in(*client_, o);
    }
    std::string run(const std::string& line) {
        client_->send(line + "\r");
        return client_->read_until("\r\n" + options_.prompt);
    }
    Options options_;
    std::unique_ptr<Simulator> board_;
    std::unique_ptr<TelnetClient> client_;
};

TEST_F(Shell, EchoOutputAndPromptFrameEveryAnswer) {
    open(quick_options());
    EXPECT_EQ(run("flash get THER"), "flash get THER\r\nTHER=30\r\n# ");
    EXPECT_EQ(run("iwpriv wlan0 mp_start"), "iwpriv wlan0 mp_start\r\n# ");
    EXPECT_EQ(run("nonsense arg"), "nonsense arg\r\nsh: nonsense: not found\r\n# ");
    std::string report = run("iwpriv wlan0 mp_arx filter_print");
    EXPECT_EQ(report.find("iwpriv wlan0 mp_arx filter_print\r\nwlan0     mp_arx:FLAG:0\r\n"), 0u) << report;
    EXPECT_EQ(board_->commands(), (std::vector<std::string>{"flash get THER", "iwpriv wlan0 mp_start", "nonsense arg",
                                                            "iwpriv wlan0 mp_arx filter_print"}));
}

struct LineEndCase {
    const char* name;
    std::string sent;
    std::string answer;
};
void PrintTo(const LineEndCase& c, std::ostream* os) { *os << c.name; }

class LineEnds : public Shell, public ::testing::WithParamInterface<LineEndCase> {};

TEST_P(LineEnds, EachFormEndsOneLine) {
    open(quick_options());
    client_->send(GetParam().sent);
    EXPECT_EQ(client_->read_for(250), GetParam().answer);
    EXPECT_EQ(board_->commands(), std::vector<std::string>{"flash get XCAP"});
}

const std::string kXcapAnswer = "flash get XCAP\r\nXCAP=32\r\n# ";
INSTANTIATE_TEST_SUITE_P(Forms, LineEnds,
                         ::testing::Values(LineEndCase{"cr", "flash get XCAP\r", kXcapAnswer},
                                           LineEndCase{"crlf", "flash get XCAP\r\n", kXcapAnswer},
                                           LineEndCase{"crnul", std::string("flash get XCAP\r\0", 16), kXcapAnswer},
                                           LineEndCase{"lf", "flash get XCAP\n", kXcapAnswer},
                                           LineEndCase{"doubled_cr", "flash get XCAP\r\r", kXcapAnswer + "\r\n# "}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(Shell, CrLfSplitAcrossReadsIsOneLineEnd) {
    open(quick_options());
    client_->send("flash get XCAP\r");
    client_->read_until("# ");
    client_->send("\nflash get THER\r");
    EXPECT_EQ(client_->read_for(250), "flash get THER\r\nTHER=30\r\n# ");
}

TEST_F(Shell, EmptyLineGivesJustAPrompt) {
    open(quick_options());
    client_->send("\r");
    EXPECT_EQ(client_->read_for(200), "\r\n# ");
    EXPECT_TRUE(board_->commands().empty());
}

TEST_F(Shell, TypingCharacterByCharacterEchoesAsTyped) {
    open(quick_options());
    client_->send("flx");
    EXPECT_EQ(client_->read_for(100), "flx");
    client_->send("\x7f");
    EXPECT_EQ(client_->read_for(100), "\b \b");
    client_->send("ash get XCAP\r\n");
    EXPECT_EQ(client_->read_for(200), "ash get XCAP\r\nXCAP=32\r\n# ");
    EXPECT_EQ(board_->commands(), std::vector<std::string>{"flash get XCAP"});
}

TEST_F(Shell, OnlyTheConfiguredToolAndInterfaceWork) {
    Options o = quick_options();
    o.tool = "/usr/sbin/iwpriv";
    o.if_name = "wlan1";
    open(o);
    EXPECT_EQ(run("iwpriv wlan0 mp_start"), "iwpriv wlan0 mp_start\r\nsh: iwpriv: not found\r\n# ");
    EXPECT_NE(run("/usr/sbin/iwpriv wlan0 mp_start").find("wlan0: No such device"), std::string::npos);
    EXPECT_FALSE(board_->test_mode());
    run("/usr/sbin/iwpriv wlan1 mp_start");
    EXPECT_TRUE(board_->test_mode());
}

// The transcript shows each write: echo, output and prompt separately by
// default, all in one with single_write.
std::vector<std::string> sent_lines(const std::string& log_path) {
    std::ifstream in(log_path);
    std::vector<std::string> sent;
    for (std::string line; std::getline(in, line);) {
        auto at = line.find(" > ");
        if (at != std::string::npos) sent.push_back(line.substr(at + 3));
    }
    return sent;
}

TEST_F(Shell, WritesSeparatelyByDefaultAndOnceWithSingleWrite) {
    for (bool single : {false, true}) {
        std::string log = ::testing::TempDir() + "mpboard_writes_" + std::to_string(single) + ".log";
        std::remove(log.c_str());
        Options o = quick_options();
        o.log_file = log;
        o.single_write = single;
        open(o);
        run("flash get THER");
        board_->stop();
        auto sent = sent_lines(log);
        std::vector<std::string> tail(sent.end() - (single ? 1 : 3), sent.end());
        if (single) {
            EXPECT_EQ(tail, std::vector<std::string>{"flash get THER\\r\\nTHER=30\\r\\n# "});
        } else {
            EXPECT_EQ(tail, (std::vector<std::string>{"flash get THER\\r\\n", "THER=30\\r\\n", "# "}));
        }
    }
}

TEST_F(Shell, ExitEndsTheSession) {
    open(quick_options());
    client_->send("exit\r");
    EXPECT_EQ(client_->read_for(300), "exit\r\n");
}

}  // namespace
}  // namespace mpboard::testing
