// Connections whose descriptor numbers lie past 1024, where a fixed-size
// descriptor set (FD_SETSIZE) would end: a process that holds many boards
// open, or many files, gets such numbers for its later connections. The
// open, a command and its waits must work there as they do below.
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/board_under_test.h"

namespace mpdll::test {
namespace {

constexpr int kFirstDescriptor = 1100;  // past FD_SETSIZE (1024) with room to spare

// Takes every free descriptor number below kFirstDescriptor (raising the
// soft limit within the hard one if needed), so that the next one opened
// lies past it; gives them back at the end.
class LowDescriptorsTaken {
  public:
    LowDescriptorsTaken() {
        rlimit limit{};
        ::getrlimit(RLIMIT_NOFILE, &limit);
        saved_ = limit;
        constexpr rlim_t kWanted = kFirstDescriptor + 64;
        if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < kWanted &&
            (limit.rlim_max == RLIM_INFINITY || limit.rlim_max >= kWanted)) {
            limit.rlim_cur = kWanted;
            ::setrlimit(RLIMIT_NOFILE, &limit);
        }
        const int filler = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (filler < 0) return;
        taken_.push_back(filler);
        for (;;) {
            const int fd = ::fcntl(filler, F_DUPFD_CLOEXEC, 0);
            if (fd < 0) break;
            taken_.push_back(fd);
            if (fd >= kFirstDescriptor - 1) break;
        }
    }
    ~LowDescriptorsTaken() {
        for (const int fd : taken_) ::close(fd);
        ::setrlimit(RLIMIT_NOFILE, &saved_);
    }
    LowDescriptorsTaken(const LowDescriptorsTaken&) = delete;
    LowDescriptorsTaken& operator=(const LowDescriptorsTaken&) = delete;

    // The number the next open descriptor gets.
    static int next_free() {
        const int fd = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        ::close(fd);
        return fd;
    }

  private:
    rlimit saved_{};
    std::vector<int> taken_;
};

// The highest descriptor this process has open on path, -1 when none.
int descriptor_on(const std::string& path) {
    for (int fd = kFirstDescriptor + 64; fd >= 0; --fd) {
        char target[PATH_MAX] = {};
        const std::string link = "/proc/self/fd/" + std::to_string(fd);
        if (::readlink(link.c_str(), target, sizeof target - 1) > 0 && path == target) return fd;
    }
    return -1;
}

int connection_descriptor(const DevContext& dev, const BoardUnderTest& board) {
    switch (board.transport()) {
        case Transport::telnet:
            return dev.telnetSocket;
        case Transport::udp:
            return dev.udpSocket;
        case Transport::serial:
            return descriptor_on(board.serial_path());
    }
    return -1;
}

class HighDescriptor : public ::testing::TestWithParam<Transport> {};

TEST_P(HighDescriptor, ConnectionPast1024OpensAndRunsCommands) {
    BoardUnderTest board(GetParam());
    const LowDescriptorsTaken taken;
    ASSERT_GT(LowDescriptorsTaken::next_free(), 1024) << "the low descriptors could not all be taken";
    auto dev = board.record();
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    EXPECT_GT(connection_descriptor(*dev, board), 1024);

    // A line answered at once, then one the board answers 300 ms late: the
    // waits time out on the high descriptor before the answer. The board
    // names the parameter asked for in its answer on every transport.
    struct Line {
        int delayMs;
        const char* parameter;
    };
    char response[256];
    for (const Line& line : {Line{0, "FIRST"}, Line{300, "SECOND"}}) {
        mpboard::Faults late;
        late.answer_delay_ms = late.udp_delay_ms = line.delayMs;
        board.board().set_faults(late);
        const std::string command = std::string("flash get ") + line.parameter;
        const std::string expected = std::string("flash: ") + line.parameter + ": no such parameter";
        std::memset(response, 0, sizeof response);
        ASSERT_EQ(SendCommand(dev.get(), command.c_str(), response, sizeof response, 0, 0), MPDLL_OK) << command;
        EXPECT_NE(std::strstr(response, expected.c_str()), nullptr) << command << ": " << response;
    }
    EXPECT_EQ(CloseDev(dev.get(), board.close_mask()), MPDLL_OK);
}

INSTANTIATE_TEST_SUITE_P(Transports, HighDescriptor,
                         ::testing::Values(Transport::telnet, Transport::udp, Transport::serial),
                         [](const auto& info) { return std::string(transport_name(info.param)); });

}  // namespace
}  // namespace mpdll::test
