// Telnet fault switches: each changes what the shell writes in one
// deterministic way, at start-up or at runtime, globally or per connection.
#include <sys/socket.h>

#include <cerrno>

#include <gtest/gtest.h>

#include "board_clients.h"
#include "support/stopwatch.h"

namespace mpboard::testing {
namespace {

const std::string kLine = "flash get THER";
const std::string kAnswer = "flash get THER\r\nTHER=30\r\n# ";

class Fault : public ::testing::Test {
  protected:
    void SetUp() override {
        board_.start();
        client_ = std::make_unique<TelnetClient>(board_.telnet_port());
        log_in(*client_, quick_options());
    }
    std::string answer(const Faults& f, int ms = 300) {
        board_.set_faults(f);
        client_->send(kLine + "\r");
        return client_->read_for(ms);
    }
    Simulator board_{quick_options()};
    std::unique_ptr<TelnetClient> client_;
};

TEST_F(Fault, NoPromptAndNoEcho) {
    Faults f;
    f.no_prompt = true;
    EXPECT_EQ(answer(f), "flash get THER\r\nTHER=30\r\n");
    f = Faults{};
    f.no_echo = true;
    EXPECT_EQ(answer(f), "THER=30\r\n# ");
}

TEST_F(Fault, ChunksArriveSeparatelyAndJoinToTheSameAnswer) {
    Faults f;
    f.chunk_size = 4;
    f.chunk_delay_ms = 30;
    board_.set_faults(f);
    client_->send(kLine + "\r");
    std::string first = client_->read_once(500);
    EXPECT_EQ(first, "flas");
    EXPECT_EQ(first + client_->read_until("# ", 3000), kAnswer);
}

TEST_F(Fault, SplitPromptComesInTwoPieces) {
    Faults f;
    f.split_prompt = true;
    f.chunk_delay_ms = 150;
    board_.set_faults(f);
    client_->send(kLine + "\r");
    EXPECT_EQ(client_->read_for(100), "flash get THER\r\nTHER=30\r\n#");
    EXPECT_EQ(client_->read_for(250), " ");
}

TEST_F(Fault, AnswerDelayHoldsTheOutputButNotTheEcho) {
    Faults f;
    f.answer_delay_ms = 250;
    board_.set_faults(f);
    const mpdll::test::Stopwatch clock;
    client_->send(kLine + "\r");
    EXPECT_EQ(client_->read_for(150), "flash get THER\r\n");
    EXPECT_EQ(client_->read_until("# "), "THER=30\r\n# ");
    EXPECT_GE(clock.milliseconds(), 240);
}

TEST_F(Fault, ResetCutsTheAnswerAfterExactlyThatManyBytes) {
    Faults f;
    f.reset_after_bytes = 20;
    board_.set_faults(f);
    client_->send(kLine + "\r");
    std::string got;
    int error = 0;
    for (int i = 0; i < 10 && !error; ++i) got += client_->read_once(300, &error);
    EXPECT_EQ(got, kAnswer.substr(0, 20));
    EXPECT_EQ(error, ECONNRESET);
}

TEST_F(Fault, FloodPutsOneMebibyteBetweenEchoAndOutput) {
    Faults f;
    f.flood_bytes = 1 << 20;
    board_.set_faults(f);
    client_->send(kLine + "\r");
    std::string got = client_->read_until("THER=30\r\n# ", 5000);
    ASSERT_EQ(got.size(), kAnswer.size() + (1u << 20));
    EXPECT_EQ(got.substr(0, 16), "flash get THER\r\n");
    EXPECT_EQ(got.find("# "), got.size() - 2) << "the filler holds the prompt";
}

TEST_F(Fault, GarbageHoldsNulBytesAndRepeatsWithTheSeed) {
    Faults f;
    f.garbage = true;
    f.seed = 7;
    board_.set_faults(f);
    client_->send(kLine + "\r");
    std::string first = client_->read_until("# ");
    EXPECT_EQ(first.substr(0, 25), "flash get THER\r\nTHER=30\r\n");
    EXPECT_NE(first.find('\0'), std::string::npos);
    EXPECT_EQ(first.size(), kAnswer.size() + 16);

    TelnetClient other(board_.telnet_port());  // a new connection starts the same sequence
    log_in(other, quick_options());
    other.send(kLine + "\r");
    EXPECT_EQ(other.read_until("# "), first);
}

TEST_F(Fault, ConnectionFaultsApplyToThatConnectionOnly) {
    Faults silent;
    silent.no_prompt = true;
    board_.set_connection_faults(2, silent);
    TelnetClient second(board_.telnet_port());
    log_in(second, quick_options());  // the login prompt is not the shell prompt
    second.send(kLine + "\r");
    EXPECT_EQ(second.read_for(300), "flash get THER\r\nTHER=30\r\n");
    client_->send(kLine + "\r");
    EXPECT_EQ(client_->read_for(300), kAnswer);
}

}  // namespace
}  // namespace mpboard::testing
