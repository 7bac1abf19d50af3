// The serial console on its pseudo-terminal, start and stop, and the mpboard
// program's "ready" line and signal handling.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <thread>

#include <gtest/gtest.h>

#include "board_clients.h"
#include "flash_store.h"
#include "support/stopwatch.h"

namespace mpboard::testing {
namespace {

TEST(Serial, ConsoleRunsTheShellWithoutLoginByDefault) {
    Options o = quick_options();
    o.serial = true;
    o.serial_link = ::testing::TempDir() + "mpboard_console";
    Simulator board(o);
    board.start();
    ASSERT_FALSE(board.serial_path().empty());
    struct stat st {};
    ASSERT_EQ(::lstat(o.serial_link.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));

    ConsoleClient console(o.serial_link);
    console.send("iwpriv wlan0 mp_start\r");
    EXPECT_EQ(console.read_until("# "), "iwpriv wlan0 mp_start\r\n# ");
    EXPECT_TRUE(board.test_mode());
    console.send("flash get XCAP\r\r");
    EXPECT_EQ(console.read_for(250), "flash get XCAP\r\nXCAP=32\r\n# \r\n# ");
    board.stop();
    EXPECT_NE(::lstat(o.serial_link.c_str(), &st), 0) << "symlink left behind";
}

TEST(Serial, LoginOnTheConsoleWhenAsked) {
    Options o = quick_options();
    o.serial = true;
    o.serial_login = true;
    Simulator board(o);
    board.start();
    ConsoleClient console(board.serial_path());
    EXPECT_EQ(console.read_until("login: "), "\r\nlogin: ");  // written at start, waiting in the line
    console.send("\r");
    EXPECT_EQ(console.read_until("Password: "), "\r\nPassword: ");
    console.send("x\r");
    console.read_until("login: ");
    console.send("root\r");
    console.read_until("Password: ");
    console.send("root\r");
    EXPECT_NE(console.read_until("# ").find("Last login: "), std::string::npos);
}

TEST(Lifecycle, StopReturnsPromptlyWithClientsMidAnswer) {
    Options o = quick_options();
    o.faults.answer_delay_ms = 10000;
    auto board = std::make_unique<Simulator>(o);
    board->start();
    EXPECT_GT(board->telnet_port(), 0);
    EXPECT_GT(board->udp_port(), 0);
    TelnetClient client(board->telnet_port());
    log_in(client, o);
    client.send("flash get THER\r");
    client.read_until("\r\n");
    const mpdll::test::Stopwatch clock;
    board.reset();
    EXPECT_LT(clock.milliseconds(), 1000);
}

TEST(Lifecycle, BusyPortThrows) {
    Simulator first(quick_options());
    first.start();
    Options o = quick_options();
    o.telnet_port = first.telnet_port();
    Simulator second(o);
    EXPECT_THROW(second.start(), std::runtime_error);
}

TEST(Program, PrintsReadyAndStopsOnSigterm) {
    std::string program = std::string(MPDLL_BINARY_DIR) + "/tools/mpboard/mpboard";
    int out[2];
    ASSERT_EQ(::pipe(out), 0);
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::execl(program.c_str(), program.c_str(), "--telnet-port", "0", "--udp-port", "0", "--no-serial", "--login",
                "none", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(out[1]);
    FILE* lines = ::fdopen(out[0], "r");
    char ready[256] = {};
    ASSERT_NE(std::fgets(ready, sizeof ready, lines), nullptr);
    int port = 0, udp = 0;
    ASSERT_EQ(std::sscanf(ready, "ready telnet=127.0.0.1:%d udp=127.0.0.1:%d", &port, &udp), 2) << ready;
    {
        TelnetClient client(port);
        client.send(negotiation_answer());
        EXPECT_NE(client.read_until("# ").find("# "), std::string::npos);
    }
    ::kill(pid, SIGTERM);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    std::fclose(lines);
}

TEST(Program, HelpListsTheFlashNamesAndTheReadingsThatFailALimit) {
    const std::string command = std::string(MPDLL_BINARY_DIR) + "/tools/mpboard/mpboard --help";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string help;
    char chunk[4096];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) help.append(chunk, got);
    EXPECT_EQ(::pclose(pipe), 0);
    for (const std::string& name : factory_flash_names()) {
        EXPECT_NE(help.find(name), std::string::npos) << name << " missing from:\n" << help;
    }
    EXPECT_GE(factory_flash_names().size(), 4u);
    for (const char* option : {"--thermal N", "--tssi N", "--packet-error-rate PERCENT"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
}

}  // namespace
}  // namespace mpboard::testing
