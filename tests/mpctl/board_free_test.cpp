// mpctl without a board: usage errors and their exit code, the board-free
// conversions through the library, plan files that are refused before
// anything runs.
#include "mpctl_board.h"
#include "mpctl_process.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace mpctl_test {
namespace {

using Json = nlohmann::json;

// The single step of a one-operation JSON result (its last step); null when
// the result holds no step.
Json& only_step(Json& json) {
    Json& steps = json["steps"];
    if (!steps.is_array() || steps.empty()) {
        steps = Json::array({nullptr});
    }
    return steps.back();
}

struct UsageCase {
    const char* why;
    std::vector<std::string> args;
};

TEST(MpctlUsage, BadUsageExitsWithTwoAndSaysWhy) {
    const std::vector<UsageCase> cases = {
        {"no subcommand", {}},
        {"unknown subcommand", {"frobnicate"}},
        {"group without its subcommand", {"flash"}},
        {"missing positional", {"flash", "get"}},
        {"missing required option", {"tx", "start", "--rate", "54M"}},
        {"bad transmit mode", {"tx", "start", "--channel", "6", "--rate", "54M", "--mode", "burst"}},
        {"register value not hexadecimal", {"--telnet", "127.0.0.1", "reg", "set", "1", "2", "xyz"}},
        {"register value wider than 32 bits", {"--telnet", "127.0.0.1", "reg", "set", "1", "2", "1ffffffff"}},
        {"power path not a number", {"--telnet", "127.0.0.1", "power", "30", "x"}},
        {"no connection chosen", {"flash", "get", "X"}},
        {"two connections chosen", {"--telnet", "127.0.0.1", "--udp", "127.0.0.1", "query"}},
        {"UDP address not IPv4", {"--udp", "board.local", "query"}},
        {"telnet address longer than its field", {"--telnet", "127.000.000.001:23456", "query"}},
        {"user name longer than its field", {"--telnet", "127.0.0.1", "--user", std::string(20, 'u'), "query"}},
        {"prompt longer than its field", {"--telnet", "127.0.0.1", "--prompt", std::string(50, '#'), "query"}},
        {"unknown parity", {"--serial", "/dev/null", "--parity", "sometimes", "query"}},
        {"diff entry of three characters", {"convert", "power-index", "diff", "9FF"}},
        {"decode count above 200", {"convert", "power-index", "decode", "--count", "201", "", "", "", "", "", "", ""}},
        {"encode tables of different lengths",
         {"convert", "power-index", "encode", "1,2", "1,2", "1,2", "1,2", "1,2", "1,2", "1,2", "1,2", "1,2", "1"}},
        {"encode difference without a digit",
         {"convert", "power-index", "encode", "1", "1", "20", "20", "11", "20", "20", "20", "20", "20"}},
        {"encode base above 255",
         {"convert", "power-index", "encode", "1", "1", "256", "20", "256", "20", "256", "20", "256", "20"}},
        {"plan file missing", {"run", "/nonexistent/plan.txt"}},
    };
    for (const UsageCase& c : cases) {
        const ProcessResult run = run_mpctl(c.args);
        EXPECT_EQ(run.exit_code, 2) << c.why << "\n" << run.out << run.err;
        EXPECT_FALSE(run.err.empty()) << c.why;
    }
}

struct ExplainedCase {
    const char* why;
    std::vector<std::string> args;
    std::string message;  // part of what mpctl says
};

TEST(MpctlUsage, BadUsageIsExplainedInTheOperationsOwnWords) {
    const std::vector<ExplainedCase> cases = {
        {"misspelt operation", {"qeury"}, "unknown operation \"qeury\"; the nearest is \"query\""},
        {"misspelt operation of a group",
         {"--telnet", "127.0.0.1", "tx", "strat"},
         "unknown operation \"tx strat\"; the nearest is \"tx start\""},
        {"options and their values before it",
         {"--udp", "127.0.0.1", "--json", "--if", "wlan1", "flahs", "get", "X"},
         "unknown operation \"flahs\"; the nearest is \"flash\""},
        {"group without its operation", {"flash"}, "\"flash\" needs one of get, set"},
        {"register selector missing",
         {"--telnet", "127.0.0.1", "reg", "get", "0"},
         "reg get: B is missing (Second register selector)"},
        {"required option missing", {"tx", "start", "--rate", "54M"}, "tx start: --channel is missing (Channel number"},
        {"limit on a value the query does not read",
         {"--udp", "127.0.0.1", "query", "--expect", "rssi>=3"},
         "no value \"rssi\"; this operation reads txOk, txFail, rxOk, crcError"},
        {"limit that is not a number",
         {"--udp", "127.0.0.1", "ther", "--expect", "thermal>=warm"},
         "\"warm\" is not a number"},
        {"limit of a query of four values without a name",
         {"--udp", "127.0.0.1", "query", "--expect", "<=5"},
         "name the value to check"},
        {"range of three ends", {"--udp", "127.0.0.1", "tssi", "--expect", "20..60..80"}, "a range is LOW..HIGH"},
        {"more serial numbers than boards",
         {"--serial-number", "A", "--serial-number", "B", "--telnet", "127.0.0.1", "query"},
         "give one --serial-number per board: 1 board(s), 2 serial number(s)"},
        {"serial line the library refuses",
         {"--serial", "/dev/null", "--baud", "0", "query"},
         "the library refuses the serial line: --baud must be above 0"},
        {"board of no known kind",
         {"run", "any.plan", "--board", "ssh:10.0.0.1"},
         "--board ssh:10.0.0.1: give telnet:"},
        {"board beside --telnet",
         {"--telnet", "127.0.0.1", "run", "any.plan", "--board", "udp:127.0.0.1"},
         "with --board, give every board with --board"},
        {"JUnit report that cannot be written",
         {"--junit", "/nonexistent/folder/report.xml", "convert", "rate", "54M"},
         "cannot write the JUnit report /nonexistent/folder/report.xml"},
    };
    for (const ExplainedCase& c : cases) {
        const ProcessResult run = run_mpctl(c.args);
        EXPECT_EQ(run.exit_code, 2) << c.why << "\n" << run.out << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.why << ": " << run.err;
    }
}

TEST(MpctlUsage, AConnectionThatCannotBeMadeIsAFailedOperationNotBadUsage) {
    // Port 1 on loopback refuses at once.
    const ProcessResult run = run_mpctl({"--telnet", "127.0.0.1:1", "query"});
    EXPECT_EQ(run.exit_code, 1) << run.out << run.err;
    EXPECT_NE(run.out.find("-30006: the telnet or serial connection could not be made"), std::string::npos) << run.out;
}

struct ConversionCase {
    std::vector<std::string> args;
    const char* value_name;
    double expected;
};

TEST(MpctlConvert, RateAndChannelTextsGiveTheDriversNumbers) {
    const std::vector<ConversionCase> cases = {
        {{"convert", "rate", "54M"}, "code", 108},       {{"convert", "rate", "mcs15"}, "code", 143},
        {{"convert", "rate", "54"}, "code", 135},        {{"convert", "channel", "2437MHz"}, "channel", 6},
        {{"convert", "channel", "5180"}, "channel", 36}, {{"convert", "channel", "auto"}, "channel", 3},
    };
    for (const ConversionCase& c : cases) {
        std::vector<std::string> args{"--json"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const ProcessResult run = run_mpctl(args);
        ASSERT_EQ(run.exit_code, 0) << c.args.back() << run.err;
        Json json = json_of(run);
        EXPECT_EQ(only_step(json)["values"][c.value_name], c.expected) << c.args.back();
        EXPECT_EQ(only_step(json)["status"], 0);
    }
}

// The worked example of the power index tables: each text lands in its own
// table, and encoding the decoded tables gives the texts back.
TEST(MpctlConvert, PowerIndexDecodeAndEncodeRoundTrip) {
    const std::vector<std::string> texts = {"2A2B", "2C2D", "1A1B", "1C1D", "0F21", "8E70", "1D11"};
    std::vector<std::string> args{"--json", "convert", "power-index", "decode"};
    args.insert(args.end(), texts.begin(), texts.end());
    const ProcessResult decoded = run_mpctl(args);
    ASSERT_EQ(decoded.exit_code, 0) << decoded.err;
    Json decoded_json = json_of(decoded);
    Json& values = only_step(decoded_json)["values"];
    const std::vector<std::pair<const char*, std::vector<double>>> expected = {
        {"plain1", {42, 43}},  {"plain2", {44, 45}},  {"baseA", {26, 27}},   {"baseB", {28, 29}},
        {"group1A", {25, 28}}, {"group1B", {28, 31}}, {"group2A", {24, 27}}, {"group2B", {20, 36}},
        {"group3A", {23, 28}}, {"group3B", {29, 30}},
    };
    std::vector<std::string> encode_args{"--json", "convert", "power-index", "encode"};
    for (const auto& [name, numbers] : expected) {
        Json& table = values[name];
        ASSERT_EQ(table.size(), numbers.size()) << name;
        std::string list;
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            EXPECT_EQ(table[i], numbers[i]) << name << " entry " << i;
            list += (i ? "," : "") + table[i].dump();
        }
        encode_args.push_back(list);
    }
    const ProcessResult encoded = run_mpctl(encode_args);
    ASSERT_EQ(encoded.exit_code, 0) << encoded.err;
    Json encoded_json = json_of(encoded);
    Json& out = only_step(encoded_json)["values"];
    const std::vector<std::pair<const char*, const char*>> texts_back = {
        {"hexPlain1", "2A2B"}, {"hexPlain2", "2C2D"}, {"hexBaseA", "1A1B"}, {"hexBaseB", "1C1D"},
        {"hexDiff1", " F21"},  {"hexDiff2", "8E70"},  {"hexDiff3", "1D11"},
    };
    for (const auto& [name, text] : texts_back) {
        EXPECT_EQ(out[name], text) << name;
    }
}

TEST(MpctlConvert, HumanOutputQuotesTextsWithBlanks) {
    const ProcessResult run =
        run_mpctl({"convert", "power-index", "encode", "42", "44", "26", "28", "25", "28", "24", "20", "23", "29"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    EXPECT_NE(run.out.find("hexDiff1: \" F\""), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("hexPlain1: 2A\n"), std::string::npos) << run.out;
}

TEST(MpctlConvert, CommandTextsTakeTheNamesFromTheOptions) {
    const ProcessResult run =
        run_mpctl({"--json", "--if", "wlan0-va0", "--tool", "/bin/iwpriv", "convert", "command", "3"});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    Json json = json_of(run);
    EXPECT_EQ(only_step(json)["values"]["text"], "/bin/iwpriv wlan0-va0 mp_channel %d");

    const ProcessResult chip = run_mpctl({"--json", "--chip", "mxr4700la", "convert", "names"});
    ASSERT_EQ(chip.exit_code, 0) << chip.err;
    Json chipJson = json_of(chip);
    EXPECT_EQ(only_step(chipJson)["values"]["chipFlag"], 1);
}

TEST(MpctlConvert, AFailingStatusIsPrintedWithItsMeaningAndExitsWithOne) {
    const ProcessResult human = run_mpctl({"convert", "command", "34"});
    EXPECT_EQ(human.exit_code, 1);
    EXPECT_NE(human.out.find("-30001: command identifier not in the command catalogue"), std::string::npos)
        << human.out;

    const ProcessResult json = run_mpctl({"--json", "convert", "ok-test", "OK"});
    EXPECT_EQ(json.exit_code, 1);
    Json parsed = json_of(json);
    EXPECT_EQ(parsed["ok"], false);
    EXPECT_EQ(only_step(parsed)["status"], -30004);
    EXPECT_EQ(only_step(parsed)["meaning"], "the board's answer failed its test");
}

TEST(MpctlConvert, AnswerHelpersTakeEscapes) {
    const ProcessResult normal = run_mpctl({"--json", "convert", "normal-form", "Tx OK:1,\\r\\n Rx\\tOK:2"});
    ASSERT_EQ(normal.exit_code, 0) << normal.err;
    Json normalJson = json_of(normal);
    EXPECT_EQ(only_step(normalJson)["values"]["text"], "TXOK:1,RXOK:2");

    const ProcessResult trim = run_mpctl({"--json", "convert", "trim", "X\\r\\n1\\r\\nP", "X", "P"});
    ASSERT_EQ(trim.exit_code, 0) << trim.err;
    Json trimJson = json_of(trim);
    EXPECT_EQ(only_step(trimJson)["values"]["text"], "\r\n1\r\n");
}

struct PlanErrorCase {
    const char* why;
    std::string plan;
    std::string message;  // part of the error, after "PLAN:"
};

TEST(MpctlPlan, AFaultyPlanIsRefusedWithItsLineBeforeAnythingRuns) {
    const std::vector<PlanErrorCase> cases = {
        {"unknown word", "convert rate 54M\n\n# comment\nfrobnicate\n", ":4: "},
        {"unclosed quote", "convert rate 54M\nsend \"iwpriv wlan0 mp_query\n", ":2: unclosed \""},
        {"missing argument", "flash get\n", ":1: "},
        {"nested plan", "run other.plan\n", ":1: a plan cannot run another plan"},
        {"only comments", "# nothing\n\n   # here\n", ": the plan holds no operation"},
    };
    for (const PlanErrorCase& c : cases) {
        const std::string path = write_temp_file("faulty.plan", c.plan);
        const ProcessResult run = run_mpctl({"--telnet", "127.0.0.1:1", "run", path});
        EXPECT_EQ(run.exit_code, 2) << c.why << run.out << run.err;
        EXPECT_NE(run.err.find(path + c.message), std::string::npos) << c.why << ": " << run.err;
        EXPECT_EQ(run.out.find("open telnet"), std::string::npos) << c.why << ": the board was contacted";
    }
}

TEST(MpctlPlan, BoardFreePlanRunsWithQuotesAndCommentsAndReportsEachStep) {
    const std::string path = write_temp_file("convert.plan",
                                             "# conversions only\n"
                                             "convert rate 54M   # the legacy top rate\n"
                                             "\n"
                                             "convert normal-form 'a b # not a comment'\n"
                                             "convert channel \"ch 1, 40M\"\n");
    const ProcessResult run = run_mpctl({"--json", "run", path});
    ASSERT_EQ(run.exit_code, 0) << run.err;
    Json json = json_of(run);
    ASSERT_EQ(json["steps"].size(), 3u);
    EXPECT_EQ(json["steps"][0]["line"], 2);
    EXPECT_EQ(json["steps"][0]["values"]["code"], 108);
    EXPECT_EQ(json["steps"][1]["line"], 4);
    EXPECT_EQ(json["steps"][1]["values"]["text"], "AB#NOTACOMMENT");
    EXPECT_EQ(json["steps"][2]["values"]["channel"], 140);
    EXPECT_EQ(json["passed"], 3);
}

}  // namespace
}  // namespace mpctl_test
