// Reading a recording into the replayed board: the login turns, each line's
// answers in order (the last repeating), the shell's "not found" in the
// recorded board's echo and line ends, and every byte as it was.
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "replay_script.h"

namespace mpboard {
namespace {

const std::string header =
    R"({"version": 2, "width": 120, "height": 40, "mpdll": {"format": 1, "mode": "telnet", "prompt": "$ "}})"
    "\n";

ReplayScript script_of(const std::string& events) {
    std::istringstream in(header + events);
    return ReplayScript::parse(in, "test.cast");
}

std::string joined(const ReplayAnswer* answer) {
    std::string bytes;
    if (answer)
        for (const ReplayOutput& output : *answer) bytes += output.bytes;
    return bytes;
}

TEST(ReplayScript, KeepsTheLoginTurnsAndTheirDelays) {
    const ReplayScript script = script_of(
        "[0.001, \"m\", \"step connect\"]\n[0.003, \"o\", \"\\uf7ff\\uf7fb\\u0001\"]\n"
        "[0.010, \"i\", \"\\uf7ff\\uf7fd\\u0001\"]\n[0.060, \"o\", \"login: \"]\n"
        "[0.070, \"i\", \"root\\u000d\"]\n[0.071, \"o\", \"root\\u000d\\u000a\"]\n[0.571, \"o\", \"Password: \"]\n"
        "[0.600, \"m\", \"end OpenDev 0\"]\n");
    ASSERT_EQ(script.login().size(), 3u);
    EXPECT_EQ(script.login()[0].input, "");
    EXPECT_EQ(script.login()[0].outputs.at(0).bytes, "\xff\xfb\x01");
    EXPECT_EQ(script.login()[1].input, "\xff\xfd\x01");
    EXPECT_EQ(script.login()[1].outputs.at(0).after_ms, 50);
    EXPECT_EQ(script.login()[2].input, "root\r");
    EXPECT_EQ(script.login()[2].outputs.at(1).after_ms, 501);
    EXPECT_EQ(script.prompt(), "$ ");
}

TEST(ReplayScript, AnswersEachLineInOrderAndRepeatsTheLast) {
    const ReplayScript script = script_of(
        "[0.0, \"m\", \"end OpenDev 0\"]\n"
        "[0.1, \"i\", \"get\\u000d\"]\n[0.2, \"o\", \"get\\u000d\\u000a1\\u000d\\u000a$ \"]\n"
        "[0.3, \"i\", \"set\\u000d\"]\n[0.3, \"o\", \"set\\u000d\\u000a$ \"]\n"
        "[0.4, \"i\", \"get\\u000d\"]\n[0.45, \"o\", \"get\\u000d\\u000a\"]\n[1.4, \"o\", \"2\\u000d\\u000a$ \"]\n");
    const struct {
        const char* line;
        std::size_t occurrence;
        const char* written;
    } cases[] = {{"get", 0, "get\r\n1\r\n$ "},
                 {"get", 1, "get\r\n2\r\n$ "},
                 {"get", 5, "get\r\n2\r\n$ "},
                 {"set", 0, "set\r\n$ "}};
    for (const auto& c : cases)
        EXPECT_EQ(joined(script.answer(c.line, c.occurrence)), c.written) << c.line << " #" << c.occurrence;
    EXPECT_EQ(script.answer("get", 1)->at(1).after_ms, 1000);
    EXPECT_EQ(script.answer("reboot", 0), nullptr);
}

TEST(ReplayScript, AnUnrecordedLineIsNotFoundInTheBoardsOwnTerminalStyle) {
    const struct {
        const char* name;
        const char* first_answer;
        const char* line;
        const char* written;
    } cases[] = {
        {"echo, CR LF", "ls\\u000d\\u000a$ ", "reboot now", "reboot now\r\nsh: reboot: not found\r\n$ "},
        {"echo, LF", "ls\\u000a$ ", "reboot", "reboot\nsh: reboot: not found\n$ "},
        {"no echo", "\\u000d\\u000a$ ", "reboot", "sh: reboot: not found\r\n$ "},
        {"empty line", "ls\\u000d\\u000a$ ", "", "\r\n$ "},
    };
    for (const auto& c : cases) {
        const ReplayScript script =
            script_of(std::string("[0.0, \"m\", \"end OpenDev 0\"]\n[0.1, \"i\", \"ls\\u000d\"]\n") +
                      "[0.2, \"o\", \"" + c.first_answer + "\"]\n");
        EXPECT_EQ(script.not_found(c.line), c.written) << c.name;
    }
    EXPECT_EQ(ReplayScript::not_found_reply("reboot now"), "sh: reboot: not found");
}

TEST(ReplayScript, EveryByteComesBackAsRecorded) {
    const struct {
        const char* recorded;
        std::string bytes;
    } cases[] = {
        {"plain", "plain"},
        {"caf\xc3\xa9", "caf\xc3\xa9"},                            // valid UTF-8 stays
        {"\xef\x9f\xbf\xef\x9c\x80", std::string("\xff\x00", 2)},  // U+F7FF, U+F700: the bytes FF, 00
        {"\xf0\x9f\x98\x80", "\xf0\x9f\x98\x80"},                  // beyond the plane: kept
    };
    for (const auto& c : cases) EXPECT_EQ(recorded_bytes(c.recorded), c.bytes) << c.recorded;
}

TEST(ReplayScript, ALineThatIsNoRecordingIsNamed) {
    std::istringstream in(header + "[0.1, \"o\"\n");
    try {
        ReplayScript::parse(in, "broken.cast");
        FAIL() << "no error";
    } catch (const std::runtime_error& e) {
        EXPECT_NE(std::string(e.what()).find("broken.cast:2"), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace mpboard
