// The library's OpenDev, SendCommand and CloseDev against the simulated board
// over telnet (each login style), UDP and the serial console.
#include <arpa/inet.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "simulator.h"

namespace {

std::unique_ptr<DevContext> blank_record(int32_t mode) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    dev->mode = mode;
    std::strcpy(dev->prompt, "# ");
    return dev;
}

mpboard::Options board_options() {
    mpboard::Options o;
    o.telnet_port = 0;
    o.udp_port = -1;
    o.serial = false;
    o.negotiation_wait_ms = 200;
    o.login_fail_delay_ms = 300;
    return o;
}

std::unique_ptr<DevContext> telnet_record(const mpboard::Simulator& board, const char* password = "root") {
    auto dev = blank_record(2);
    std::snprintf(dev->ipText, sizeof dev->ipText, "127.0.0.1:%d", board.telnet_port());
    std::strcpy(dev->userName, "root");
    std::strcpy(dev->password, password);
    return dev;
}

std::string send(DevContext* dev, const char* line, int32_t* status = nullptr) {
    char response[16384];
    int32_t result = SendCommand(dev, line, response, sizeof response, 0, 0);
    if (status) *status = result;
    EXPECT_EQ(result, 0) << line;
    return response;
}

struct LoginCase {
    const char* name;
    mpboard::LoginStyle style;
};

class TelnetLink : public ::testing::TestWithParam<LoginCase> {};

TEST_P(TelnetLink, OpensRunsCommandsAndCloses) {
    mpboard::Options o = board_options();
    o.login = GetParam().style;
    mpboard::Simulator board(o);
    board.start();
    auto dev = telnet_record(board);
    std::strcpy(dev->firstCommand, "iwpriv wlan0 mp_start");
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_TRUE(board.test_mode()) << "first command not run in the shell";
    EXPECT_EQ(send(dev.get(), "flash get THER"), "\r\nTHER=30\r\n");
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_query"), "\r\nwlan0     mp_query:Tx OK:0, Tx Fail:0, Rx OK:0, CRC error:0\r\n");
    EXPECT_EQ(board.commands(),
              (std::vector<std::string>{"iwpriv wlan0 mp_start", "flash get THER", "iwpriv wlan0 mp_query"}));
    EXPECT_EQ(CloseDev(dev.get(), 2), 0);
}

INSTANTIATE_TEST_SUITE_P(Styles, TelnetLink,
                         ::testing::Values(LoginCase{"standard", mpboard::LoginStyle::standard},
                                           LoginCase{"together", mpboard::LoginStyle::together},
                                           LoginCase{"empty_reasks", mpboard::LoginStyle::empty_reasks},
                                           LoginCase{"none", mpboard::LoginStyle::none}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(TelnetLinkRefused, WrongPasswordFailsTheOpen) {
    mpboard::Simulator board(board_options());
    board.start();
    auto dev = telnet_record(board, "wrong");
    EXPECT_EQ(OpenDev(dev.get()), -30006);
}

TEST(TelnetLinkFaults, ChunkedAnswerWithSplitPromptStillEndsAtThePrompt) {
    mpboard::Options o = board_options();
    mpboard::Simulator board(o);
    board.start();
    auto dev = telnet_record(board);
    ASSERT_EQ(OpenDev(dev.get()), 0);
    mpboard::Faults f;
    f.chunk_size = 3;
    f.split_prompt = true;
    board.set_faults(f);
    EXPECT_EQ(send(dev.get(), "flash get XCAP"), "\r\nXCAP=32\r\n");
    CloseDev(dev.get(), 2);
}

TEST(UdpLink, SendCommandAndTheTwoStepRead) {
    // OpenDev always aims at port 9034, so the board takes a loopback address of its own.
    mpboard::Options o = board_options();
    o.telnet_port = -1;
    o.udp_port = 9034;
    const int pid = static_cast<int>(::getpid());
    o.udp_address = "127.77." + std::to_string(pid / 250 % 250 + 1) + "." + std::to_string(pid % 250 + 2);
    mpboard::Simulator board(o);
    board.start();
    auto dev = blank_record(1);
    ASSERT_EQ(inet_pton(AF_INET, o.udp_address.c_str(), &dev->udpPeer.address), 1);
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_start"), "ok");
    EXPECT_EQ(send(dev.get(), "flash get XCAP"), "ok");
    EXPECT_EQ(send(dev.get(), "flash read"), "data:XCAP=32\n\a");
    EXPECT_EQ(CloseDev(dev.get(), 1), 0);
}

TEST(SerialLink, SendCommandOnTheConsole) {
    mpboard::Options o = board_options();
    o.telnet_port = -1;
    o.serial = true;
    mpboard::Simulator board(o);
    board.start();
    auto dev = blank_record(4);
    std::string path = board.serial_path();
    dev->portName = path.c_str();
    dev->dcb.DCBlength = sizeof(MpDcb);
    dev->dcb.BaudRate = 115200;
    dev->dcb.fBinary = 1;
    dev->dcb.ByteSize = 8;
    ASSERT_EQ(OpenDev(dev.get()), 0);
    EXPECT_EQ(send(dev.get(), "iwpriv wlan0 mp_start"), "\r\n");
    EXPECT_EQ(send(dev.get(), "cat /proc/wlan0/mib_rf | grep chipVersion"), "\r\n  chipVersion: b\r\n");
    EXPECT_TRUE(board.test_mode());
    EXPECT_EQ(CloseDev(dev.get(), 4), 0);
}

}  // namespace
