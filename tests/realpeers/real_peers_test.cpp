// The library against real peers that are not ours: busybox's telnetd
// serving a login and a POSIX shell on a pseudo-terminal, and a shell on a
// pseudo-terminal made by socat, as the serial console. The board's tools
// are stand-in shell scripts (board-tools/) first on the shell's PATH. This
// shows what our simulator cannot: how a real terminal echoes, where a real
// telnetd cuts its segments, how a real login program talks.
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "peer_process.h"
#include "replay_board.h"
#include "support/board_under_test.h"
#include "support/loopback_port.h"
#include "support/recording_reader.h"
#include "support/stopwatch.h"

namespace mpdll::realpeers {
namespace {

namespace fs = std::filesystem;

constexpr double kBeforeWindow = 5.0;  // each call must end by the prompt, never by a receive window

template <std::size_t N>
void put_text(char (&field)[N], const std::string& text) {
    std::memset(field, 0, N);
    std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

enum class Peer { telnetd, socat_pty };

struct PeerCase {
    const char* name;
    Peer peer;
};
void PrintTo(const PeerCase& c, std::ostream* os) { *os << c.name; }

// A state directory for the stand-in tools and the running peer.
class RealPeer : public ::testing::TestWithParam<PeerCase> {
  protected:
    void SetUp() override {
        const char* needed = GetParam().peer == Peer::telnetd ? "busybox" : "socat";
        if (!have_program(needed)) GTEST_SKIP() << needed << " is not installed (make deps installs it)";
        char pattern[] = "/tmp/mpdll-realpeer-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        directory_ = pattern;
        const std::vector<std::string> environment{"MPDLL_BOARD_STATE=" + (directory_ / "state").string()};

        dev_ = std::make_unique<DevContext>();
        std::memset(dev_.get(), 0, sizeof(DevContext));
        put_text(dev_->prompt, "# ");
        put_text(dev_->ifName, "wlan0");
        if (GetParam().peer == Peer::telnetd) {
            const int port = test::unused_loopback_port();
            peer_ = start_telnetd(port, environment);
            ASSERT_TRUE(wait_for_listener(port, 5000)) << "telnetd did not start";
            dev_->mode = MPDLL_MODE_TELNET;
            put_text(dev_->ipText, "127.0.0.1:" + std::to_string(port));
            put_text(dev_->userName, "root");
            put_text(dev_->password, "root");
        } else {
            console_ = (directory_ / "console").string();
            peer_ = std::make_unique<PeerProcess>(
                std::vector<std::string>{"socat", "PTY,link=" + console_ + ",raw,echo=0",
                                         "EXEC:" + board_tool("board-shell") + ",pty,setsid,ctty,stderr"},
                environment);
            ASSERT_TRUE(wait_for_path(console_, 5000)) << "socat did not make the console";
            dev_->mode = MPDLL_MODE_SERIAL;
            dev_->portName = console_.c_str();
            dev_->dcb.DCBlength = sizeof(MpDcb);
            dev_->dcb.BaudRate = 115200;
            dev_->dcb.ByteSize = 8;
        }
        mask_ = static_cast<std::uint32_t>(dev_->mode);
    }

    void TearDown() override {
        if (dev_ && mask_ != 0) CloseDev(dev_.get(), mask_);
        peer_.reset();
        if (!directory_.empty()) fs::remove_all(directory_);
    }

    // Runs one call and checks that it ended by the prompt.
    template <typename Call>
    std::int32_t timed(const char* what, Call call) {
        const mpdll::test::Stopwatch clock;
        const std::int32_t status = call();
        const double took = clock.seconds();
        EXPECT_LT(took, kBeforeWindow) << what << " waited out a receive window: the prompt was not recognised";
        return status;
    }

    std::unique_ptr<DevContext> dev_;
    std::uint32_t mask_ = 0;

  private:
    fs::path directory_;
    std::string console_;
    std::unique_ptr<PeerProcess> peer_;
};

TEST_P(RealPeer, OpensEntersTestModeAndRunsTheBoardOperations) {
    DevContext* dev = dev_.get();
    ASSERT_EQ(timed("OpenDev", [&] { return OpenDev(dev); }), MPDLL_OK);
    ASSERT_EQ(timed("EnterMP", [&] { return EnterMP(dev); }), MPDLL_OK);

    // A TX test in packet mode: the board counts what it sends.
    EXPECT_EQ(timed("TxStart", [&] { return TxStart(dev, 0, 0, 0, "6", "54M", "A", 30, 30, 0, 0); }), MPDLL_OK);
    std::int32_t txOk = -1, txFail = -1, rxOk = -1, crc = -1;
    EXPECT_EQ(timed("mp_query", [&] { return mp_query(dev, &txOk, &txFail, &rxOk, &crc); }), MPDLL_OK);
    EXPECT_EQ(txOk, 97);
    EXPECT_EQ(txFail, 3);
    EXPECT_EQ(timed("TxStop", [&] { return TxStop(dev); }), MPDLL_OK);

    // An RX test: two queries see the counters grow.
    EXPECT_EQ(timed("RxStart", [&] { return RxStart(dev, 1, 0, "36", "B"); }), MPDLL_OK);
    EXPECT_EQ(timed("RxQuery", [&] { return RxQuery(dev, &rxOk, &crc); }), MPDLL_OK);
    EXPECT_EQ(rxOk, 98);
    EXPECT_EQ(crc, 2);
    EXPECT_EQ(timed("RxQuery", [&] { return RxQuery(dev, &rxOk, &crc); }), MPDLL_OK);
    EXPECT_EQ(rxOk, 196);
    EXPECT_EQ(crc, 4);
    EXPECT_EQ(timed("RxStop", [&] { return RxStop(dev); }), MPDLL_OK);

    // Flash and RF register, written and read back.
    EXPECT_EQ(timed("FlashSet", [&] { return FlashSet(dev, "HW_TX_POWER", "0a0b0c"); }), MPDLL_OK);
    char value[16384] = {};
    EXPECT_EQ(timed("FlashGet", [&] { return FlashGet(dev, "HW_TX_POWER", value); }), MPDLL_OK);
    EXPECT_STREQ(value, "0a0b0c");
    EXPECT_EQ(timed("RegisterSet", [&] { return RegisterSet(dev, 0, 36, 0x01020304u); }), MPDLL_OK);
    std::uint32_t reg = 0;
    EXPECT_EQ(timed("RegisterGet", [&] { return RegisterGet(dev, 0, 36, &reg); }), MPDLL_OK);
    EXPECT_EQ(reg, 0x01020304u);

    // Chip facts and the thermal meter through the shell's pipes.
    char version[16384] = {};
    EXPECT_EQ(timed("GetChipVersion", [&] { return GetChipVersion(dev, version); }), MPDLL_OK);
    EXPECT_STREQ(version, "B");
    std::int32_t thermal = -1;
    EXPECT_EQ(timed("mp_ther", [&] { return mp_ther(dev, &thermal); }), MPDLL_OK);
    EXPECT_EQ(thermal, 27);

    EXPECT_EQ(CloseDev(dev, mask_), MPDLL_OK);
    mask_ = 0;
}

TEST_P(RealPeer, ALoginProgramThatRefusesThePasswordFailsTheOpen) {
    if (GetParam().peer != Peer::telnetd) GTEST_SKIP() << "the console has no login";
    put_text(dev_->password, "wrong");
    EXPECT_EQ(timed("OpenDev", [&] { return OpenDev(dev_.get()); }), MPDLL_E_OPEN);
    mask_ = 0;
}

// The operations a station runs, as "Call status values" lines.
std::vector<std::string> station_session(DevContext* dev, std::uint32_t mask) {
    std::vector<std::string> outcomes;
    const auto note = [&](const char* call, std::int32_t status, const std::string& values = "") {
        outcomes.push_back(std::string(call) + " " + std::to_string(status) + " " + values);
    };
    note("OpenDev", OpenDev(dev));
    note("EnterMP", EnterMP(dev));
    note("TxStart", TxStart(dev, 0, 0, 0, "6", "54M", "A", 30, 30, 0, 0));
    std::int32_t txOk = -1, txFail = -1, rxOk = -1, crc = -1;
    const std::int32_t queried = mp_query(dev, &txOk, &txFail, &rxOk, &crc);
    note("mp_query", queried, std::to_string(txOk) + "/" + std::to_string(txFail));
    note("TxStop", TxStop(dev));
    for (const char* value : {"0a0b0c", "0d0e0f"}) {
        note("FlashSet", FlashSet(dev, "HW_TX_POWER", value));
        char read[16384] = {};
        const std::int32_t status = FlashGet(dev, "HW_TX_POWER", read);
        note("FlashGet", status, read);
    }
    char version[16384] = {};
    const std::int32_t status = GetChipVersion(dev, version);
    note("GetChipVersion", status, version);
    note("CloseDev", CloseDev(dev, mask));
    return outcomes;
}

// The one recording MPDLL_RECORD wrote into folder while the session ran.
std::string recorded_session(DevContext* dev, std::uint32_t mask, const fs::path& folder,
                             std::vector<std::string>& outcomes) {
    fs::create_directories(folder);
    ::setenv("MPDLL_RECORD", folder.c_str(), 1);
    outcomes = station_session(dev, mask);
    ::unsetenv("MPDLL_RECORD");
    std::vector<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path().string());
    EXPECT_EQ(files.size(), 1u);
    return files.empty() ? "" : files.front();
}

TEST_P(RealPeer, ARecordedSessionReplaysWithTheSameAnswersAndBytes) {
    const fs::path folder = fs::path(::testing::TempDir()) / ("mpdll-realpeer-replay-" + std::to_string(::getpid()));
    fs::remove_all(folder);
    std::vector<std::string> recorded, replayed;
    const std::int32_t mode = dev_->mode;  // CloseDev clears it
    const std::string recording = recorded_session(dev_.get(), mask_, folder / "board", recorded);
    mask_ = 0;
    ASSERT_FALSE(recording.empty());

    mpboard::Options endpoints;
    endpoints.telnet_port = 0;
    endpoints.udp_address = mpdll::test::own_udp_address();
    mpboard::ReplayBoard replay(mpboard::ReplayScript::load(recording), endpoints, 0);  // no delays
    replay.start();
    // The same record, closed, now aimed at the replay.
    const std::string serial = replay.serial_path();
    dev_->mode = mode;
    if (mode == MPDLL_MODE_TELNET)
        put_text(dev_->ipText, "127.0.0.1:" + std::to_string(replay.telnet_port()));
    else
        dev_->portName = serial.c_str();
    const std::string replayed_file =
        recorded_session(dev_.get(), static_cast<std::uint32_t>(mode), folder / "replay", replayed);
    ASSERT_FALSE(replayed_file.empty());

    EXPECT_EQ(replayed, recorded);
    EXPECT_EQ(recorded.at(3), "mp_query 0 97/3");
    const auto original = mpdll::test::read_recording(recording);
    const auto again = mpdll::test::read_recording(replayed_file);
    EXPECT_EQ(again.call_ends, original.call_ends);
    EXPECT_EQ(again.exchanges, original.exchanges);
    fs::remove_all(folder);
}

INSTANTIATE_TEST_SUITE_P(Peers, RealPeer,
                         ::testing::Values(PeerCase{"busybox_telnetd", Peer::telnetd},
                                           PeerCase{"socat_shell_on_pty", Peer::socat_pty}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace mpdll::realpeers
