// mpctl against the board simulator over telnet, UDP and the serial console:
// what it prints, its exit codes, one session per plan, failing steps.
#include "mpctl_board.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mpctl_test {
namespace {

const char* const password = board_password;

TEST_F(MpctlBoard, EveryConnectionReadsTheCountersAfterEnteringTestMode) {
    start();
    struct Case {
        const char* name;
        std::vector<std::string> connection;
    };
    for (const Case& c : {Case{"telnet", telnet()}, Case{"udp", udp()}, Case{"serial", serial()}}) {
        board_->clear_commands();
        const ProcessResult run = run_mpctl(with(c.connection, {"--json", "query"}));
        ASSERT_EQ(run.exit_code, 0) << c.name << run.out << run.err;
        Json json = json_of(run);
        ASSERT_FALSE(json["steps"].empty()) << c.name;
        Json& query = json["steps"].back();
        EXPECT_EQ(query["step"], "query") << c.name;
        for (const char* counter : {"txOk", "txFail", "rxOk", "crcError"}) {
            EXPECT_TRUE(query["values"][counter].is_number()) << c.name << " " << counter;
        }
        EXPECT_EQ(times_sent("iwpriv wlan0 mp_query"), 1u) << c.name;
        // Over UDP, where EnterMP sends nothing, the entry is mp_start alone.
        EXPECT_EQ(times_sent("iwpriv wlan0 mp_start"), 1u) << c.name;
        EXPECT_EQ(times_sent("ifconfig wlan0 down"), c.name == std::string("udp") ? 0u : 1u) << c.name;
    }
}

TEST_F(MpctlBoard, NoEnterSkipsTheTestModeEntry) {
    start();
    const ProcessResult run = run_mpctl(with(telnet(), {"--no-enter", "send", "flash get XCAP"}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("XCAP=32"), std::string::npos) << run.out;
    EXPECT_EQ(times_sent("ifconfig wlan0 down"), 0u);
}

TEST_F(MpctlBoard, FlashAndRegisterValuesReachTheBoardAndComeBack) {
    start();
    const ProcessResult set = run_mpctl(with(serial(), {"flash", "set", "XCAP", "41"}));
    ASSERT_EQ(set.exit_code, 0) << set.out << set.err;
    EXPECT_EQ(board_->flash_value("XCAP"), "41");

    const ProcessResult get = run_mpctl(with(udp(), {"--json", "flash", "get", "XCAP"}));
    ASSERT_EQ(get.exit_code, 0) << get.out << get.err;
    Json json = json_of(get);
    EXPECT_EQ(find_step(json, "flash get")->operator[]("values")["value"], "41");

    const ProcessResult reg_set = run_mpctl(with(telnet(), {"--no-enter", "reg", "set", "1", "12", "0x3FF"}));
    ASSERT_EQ(reg_set.exit_code, 0) << reg_set.out << reg_set.err;
    EXPECT_EQ(times_sent("orf 1 12 3ff"), 1u);
    const ProcessResult reg_get = run_mpctl(with(telnet(), {"--no-enter", "reg", "get", "1", "12"}));
    ASSERT_EQ(reg_get.exit_code, 0) << reg_get.out << reg_get.err;
    EXPECT_NE(reg_get.out.find("regValue: 0x000003ff"), std::string::npos) << reg_get.out;
}

TEST_F(MpctlBoard, SensorQueriesReportTheirValues) {
    start();
    const std::string plan = write_temp_file("sensors.plan", "ther\ntssi\npwrtrk query\n");
    const ProcessResult run = run_mpctl(with(serial(), {"--json", "run", plan}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    Json json = json_of(run);
    EXPECT_EQ(find_step(json, "ther")->operator[]("values")["thermal"], 30);  // the flash reference
    EXPECT_TRUE(find_step(json, "tssi")->operator[]("values")["tssi"].is_number());
    EXPECT_EQ(find_step(json, "pwrtrk query")->operator[]("values")["thermal"], 30);
}

TEST_F(MpctlBoard, AWrongPasswordFailsTheOpenWithoutPrintingIt) {
    start();
    const ProcessResult run = run_mpctl({"--telnet", "127.0.0.1:" + std::to_string(board_->telnet_port()), "--password",
                                         "wrong-Pass7", "-v", "chip", "version"});
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("-30006: the telnet or serial connection could not be made"), std::string::npos) << run.out;
    EXPECT_EQ((run.out + run.err).find("wrong-Pass7"), std::string::npos);
    // -v also says why: the step, what the board said last, the time spent.
    EXPECT_NE(run.err.find("mpdll: open failed at password after "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the login was refused; last heard \""), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("Login incorrect\\r\\nlogin: \""), std::string::npos) << run.err;
}

// -v shows the exchanges; a line too long for the board is refused before
// anything is sent, so no exchange, and never the password, is shown.
TEST_F(MpctlBoard, VerboseShowsEachExchangeButNeverThePassword) {
    start();
    const ProcessResult sent = run_mpctl(with(telnet(), {"-v", "--json", "tx", "stop"}));
    ASSERT_EQ(sent.exit_code, 0) << sent.out << sent.err;
    Json json = json_of(sent);
    // The telnet transport keeps the line with the CR it sent.
    EXPECT_EQ(find_step(json, "tx stop")
                  ->
                  operator[]("exchange")["sent"]
                  .get<std::string>()
                  .rfind("iwpriv wlan0 mp_ctx stop\r", 0),
              0u);
    EXPECT_NE(find_step(json, "enter")->operator[]("exchange")["sent"].get<std::string>(), "");

    board_->clear_commands();
    const ProcessResult refused =
        run_mpctl(with(telnet(), {"-v", "--no-enter", "flash", "get", std::string(3000, 'N')}));
    EXPECT_EQ(refused.exit_code, 2) << refused.out << refused.err;
    EXPECT_EQ((refused.out + refused.err).find(password), std::string::npos) << refused.out;
    EXPECT_NE(refused.err.find("NAME is too long"), std::string::npos) << refused.err;
    EXPECT_TRUE(board_->commands().empty());
}

// The password in a line and in its echo is masked as the library masks
// it: one '*' per character, so the line keeps its length.
TEST_F(MpctlBoard, AnExchangeHoldingThePasswordShowsItMaskedCharacterByCharacter) {
    start();
    const std::string line = std::string("flash set WLAN_KEY ") + password;
    const ProcessResult run = run_mpctl(with(telnet(), {"-v", "--json", "--no-enter", "send", line}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    Json json = json_of(run);
    const Json& exchange = find_step(json, "send")->operator[]("exchange");
    const std::string masked_line = "flash set WLAN_KEY " + std::string(std::string(password).size(), '*');
    EXPECT_EQ(exchange["sent"].get<std::string>(), masked_line + "\r");
    EXPECT_EQ(exchange["received"].get<std::string>().rfind(masked_line + "\r\n", 0), 0u) << exchange["received"];
    EXPECT_EQ((run.out + run.err).find(password), std::string::npos) << run.out;
    EXPECT_EQ(board_->flash_value("WLAN_KEY"), password);
}

TEST_F(MpctlBoard, ReceiveFilterIsSetAndReadBack) {
    start();
    const std::string plan =
        write_temp_file("filter.plan",
                        "rx start --channel 2437MHz --bssid 00:e0:4c:81:96:01 --sa 02:00:00:00:00:09\n"
                        "rx filter print\n"
                        "rx stop\n"
                        "rx filter print\n");
    const ProcessResult run = run_mpctl(with(telnet(), {"--json", "run", plan}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    Json json = json_of(run);
    Json& first = json["steps"][3]["values"];  // open, enter, rx start, rx filter print
    EXPECT_EQ(first["bssid"], "00:E0:4C:81:96:01");
    EXPECT_EQ(first["sa"], "02:00:00:00:00:09");
    EXPECT_EQ(first["da"], "00:00:00:00:00:00");
    EXPECT_EQ(json["steps"][5]["values"]["bssid"], "00:00:00:00:00:00");
    EXPECT_EQ(times_sent("iwpriv wlan0 mp_channel 6"), 1u);
}

// The UDP board answers "OK" in capitals, which a setting command does not
// accept: the plan stops there unless told to keep going. (Without the
// entry, which the same answer would fail first.)
TEST_F(MpctlBoard, AFailingPlanStepStopsThePlanUnlessKeepGoing) {
    mpboard::Faults faults;
    faults.upper_case_ok = true;
    start(faults);
    const std::string plan = write_temp_file("failing.plan",
                                             "convert rate 54M\n"
                                             "rate 54M\n"
                                             "convert channel 6\n");
    const ProcessResult stopped = run_mpctl(with(udp(), {"--no-enter", "run", plan}));
    EXPECT_EQ(stopped.exit_code, 1) << stopped.out << stopped.err;
    EXPECT_NE(stopped.out.find("-30004: the board's answer failed its test"), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.out.find("not run"), std::string::npos) << stopped.out;
    EXPECT_NE(stopped.out.find("1 failed, 1 not run"), std::string::npos) << stopped.out;

    const ProcessResult kept = run_mpctl(with(udp(), {"--no-enter", "--json", "run", "--keep-going", plan}));
    EXPECT_EQ(kept.exit_code, 1) << kept.out << kept.err;
    Json json = json_of(kept);
    EXPECT_EQ(json["ok"], false);
    EXPECT_EQ(json["failed"], 1);
    EXPECT_EQ(json["not_run"], 0);
    Json* rate = find_step(json, "rate 54M");
    ASSERT_NE(rate, nullptr);
    EXPECT_EQ((*rate)["status"], -30004);
    EXPECT_EQ((*rate)["line"], 2);
    EXPECT_EQ(find_step(json, "convert channel 6")->operator[]("values")["channel"], 6);
}

// The bundled line test of `make demo` passes on the simulator, in one login.
TEST_F(MpctlBoard, BundledLineTestPassesInOneSession) {
    start();
    const ProcessResult run = run_mpctl(with(telnet(), {"--json", "run", source_path("tools/demo/line_test.plan")}));
    ASSERT_EQ(run.exit_code, 0) << run.out << run.err;
    Json json = json_of(run);
    EXPECT_EQ(json["ok"], true);
    EXPECT_EQ(times_sent("ifconfig wlan0 down"), 1u);  // the plan's own entry, no automatic one
    EXPECT_EQ(times_sent("iwpriv wlan0 mp_ctx count=100,pkt,background"), 1u);
    EXPECT_EQ(board_->flash_value("XCAP"), "33");
    int flash_reads = 0;
    for (Json& step : json["steps"]) {
        if (step["step"] == "flash get XCAP") {
            EXPECT_EQ(step["values"]["value"], flash_reads++ == 0 ? "32" : "33");
        }
    }
    EXPECT_EQ(flash_reads, 2);
    // The tester's frames arrive at every reading; the reset between the two
    // readings keeps the second from adding up both.
    int rx_reads = 0;
    for (Json& step : json["steps"]) {
        if (step["step"] == "rx query") {
            ++rx_reads;
            EXPECT_EQ(step["values"]["rxOk"], 98) << "reading " << rx_reads;
            EXPECT_EQ(step["values"]["crcError"], 2) << "reading " << rx_reads;
        }
    }
    EXPECT_EQ(rx_reads, 2);
    EXPECT_TRUE(find_step(json, "pwrtrk query")->operator[]("values")["thermal"].is_number());
    EXPECT_EQ(find_step(json, "reg get 0 36")->operator[]("values")["regValue"], "0x00001a2b");
    Json* encoded = nullptr;
    for (Json& step : json["steps"]) {
        if (step["step"].get<std::string>().rfind("convert power-index encode", 0) == 0) {
            encoded = &step;
        }
    }
    ASSERT_NE(encoded, nullptr);
    EXPECT_EQ((*encoded)["values"]["hexDiff3"], "2121F2F2");
    EXPECT_EQ((*encoded)["values"]["hexPlain1"], "2A2A2A2B");
}

TEST_F(MpctlBoard, ShortCheckPassesOverUdpAndSerial) {
    start();
    // Serial reads that return what the port holds (mpctl's own) and reads
    // with the library's default 100 ms interval give the same run.
    const auto serialWithInterval = with(serial(), {"--read-interval", "100"});
    for (const auto& connection : {udp(), serial(), serialWithInterval}) {
        const ProcessResult run = run_mpctl(with(connection, {"run", source_path("tools/demo/short_check.plan")}));
        EXPECT_EQ(run.exit_code, 0) << connection[0] << run.out << run.err;
        EXPECT_NE(run.out.find("0 failed, 0 not run"), std::string::npos) << run.out;
    }
}

// --prompt-settle reaches the library once the board is open: an answer the
// board writes in pieces 150 ms apart, one ending with the prompt's text
// ("NOTE=left# "), comes whole with it and ends at that text without it.
// Values the library would refuse, and a UDP board, are usage errors.
TEST_F(MpctlBoard, PromptSettleKeepsAnAnswerWholePastThePromptsText) {
    mpboard::Faults pieces;
    pieces.chunk_size = 11;
    pieces.chunk_delay_ms = 150;
    start(pieces);
    board_->set_flash_value("NOTE", "left# right");
    for (const std::string transport : {"telnet", "serial"}) {
        const ProcessResult settled =
            run_mpctl(with(connection(transport), {"--prompt-settle", "400", "--no-enter", "send", "flash get NOTE"}));
        EXPECT_EQ(settled.exit_code, 0) << transport << settled.out << settled.err;
        EXPECT_NE(settled.out.find("NOTE=left# right"), std::string::npos) << transport << settled.out;
        const ProcessResult cut = run_mpctl(with(connection(transport), {"--no-enter", "send", "flash get NOTE"}));
        EXPECT_EQ(cut.exit_code, 0) << transport << cut.out << cut.err;
        EXPECT_NE(cut.out.find("NOTE=left"), std::string::npos) << transport << cut.out;
        EXPECT_EQ(cut.out.find("right"), std::string::npos) << transport << cut.out;
    }
    for (const auto& refused : {with(telnet(), {"--prompt-settle", "2001", "send", "ls"}),
                                with(serial(), {"--prompt-settle", "-1", "send", "ls"}),
                                with(udp(), {"--prompt-settle", "400", "send", "ls"})}) {
        const ProcessResult run = run_mpctl(refused);
        EXPECT_EQ(run.exit_code, 2) << refused[0] << " " << refused[3] << run.out << run.err;
    }
}

}  // namespace
}  // namespace mpctl_test
