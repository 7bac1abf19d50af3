// The preload library of the Windows run (keep_pty_output.c), loaded into
// this process and called in place of the C library's tcflush: on the
// terminal side of a pseudo-terminal an output flush keeps the line written,
// the input half still goes, and other descriptors get the C library's answer.
#include <dlfcn.h>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

namespace {

using Flush = int (*)(int, int);

// A pseudo-terminal pair in raw mode: the board's side (the master) and the
// side a COM port opens (the terminal side).
struct PtyPair {
    int board = -1;
    int port = -1;
    PtyPair() {
        board = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (board < 0 || ::grantpt(board) != 0 || ::unlockpt(board) != 0) return;
        port = ::open(::ptsname(board), O_RDWR | O_NOCTTY);
        termios raw{};
        ::tcgetattr(port, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(port, TCSANOW, &raw);
    }
    ~PtyPair() {
        if (port >= 0) ::close(port);
        if (board >= 0) ::close(board);
    }
};

// What fd has to read within waitMs (the terminal moves bytes across on a
// kernel worker, so a written line may take a moment to show).
std::string pending(int fd, int waitMs) {
    std::string text;
    pollfd ready{fd, POLLIN, 0};
    while (::poll(&ready, 1, text.empty() ? waitMs : 50) == 1) {
        char buffer[256];
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) break;
        text.append(buffer, static_cast<std::size_t>(got));
    }
    return text;
}

class KeepPtyOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        library_ = ::dlopen(KEEP_PTY_OUTPUT_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << ::dlerror();
        preloaded_ = reinterpret_cast<Flush>(::dlsym(library_, "tcflush"));
        ASSERT_NE(preloaded_, nullptr);
        ASSERT_NE(reinterpret_cast<void*>(preloaded_), reinterpret_cast<void*>(&::tcflush));
        ASSERT_GE(pair_.port, 0);
    }
    void TearDown() override {
        if (library_) ::dlclose(library_);
    }

    void* library_ = nullptr;
    Flush preloaded_ = nullptr;
    PtyPair pair_;
};

// The port writes its line while the board is busy: output it has not read
// fills its side's line discipline, so the line waits in the terminal's
// transfer buffer, where it is in the moment after any write.
TEST_F(KeepPtyOutput, FlushesOnTheTerminalSideKeepOnlyTheOutput) {
    struct Case {
        const char* name;
        bool preloaded;  // false: the C library's own tcflush, as wine has it without the preload
        int queue;
        bool outputKept;  // the line the port wrote still reaches the board
        bool inputKept;   // the board's answer still waits at the port
    };
    const Case cases[] = {
        {"C library, output flush", false, TCOFLUSH, false, true},
        {"output flush", true, TCOFLUSH, true, true},
        {"both queues", true, TCIOFLUSH, true, false},
        {"input flush", true, TCIFLUSH, true, false},
    };
    const std::string unread(8192, '.');
    const std::string line = "flash get THER\r";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PtyPair pair;
        ASSERT_GE(pair.port, 0);
        ASSERT_EQ(::write(pair.port, unread.data(), unread.size()), static_cast<ssize_t>(unread.size()));
        ASSERT_EQ(::write(pair.port, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        ASSERT_EQ(::write(pair.board, "THER=30\r\n# ", 11), 11);
        // The board's answer has crossed to the port before the flush.
        pollfd ready{pair.port, POLLIN, 0};
        ASSERT_EQ(::poll(&ready, 1, 1000), 1);
        const Flush flush = c.preloaded ? preloaded_ : &::tcflush;
        ASSERT_EQ(flush(pair.port, c.queue), 0) << std::strerror(errno);
        const std::string board = pending(pair.board, 1000);
        EXPECT_EQ(board.ends_with(line), c.outputKept) << board.size() << " bytes reached the board";
        if (c.outputKept) {
            EXPECT_EQ(board.size(), unread.size() + line.size());
        }
        EXPECT_EQ(pending(pair.port, c.inputKept ? 1000 : 200), c.inputKept ? "THER=30\r\n# " : "");
    }
}

TEST_F(KeepPtyOutput, OtherDescriptorsGetTheCLibrarysAnswer) {
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    errno = 0;
    EXPECT_EQ(preloaded_(pipeEnds[1], TCOFLUSH), -1);
    EXPECT_EQ(errno, ENOTTY);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);

    // The board's side is no terminal side: its output flush still takes
    // back what the port has not read (here behind a full line discipline).
    const std::string unread(8192, '.');
    const std::string answer = "late answer\r\n";
    ASSERT_EQ(::write(pair_.board, unread.data(), unread.size()), static_cast<ssize_t>(unread.size()));
    ASSERT_EQ(::write(pair_.board, answer.data(), answer.size()), static_cast<ssize_t>(answer.size()));
    ASSERT_EQ(preloaded_(pair_.board, TCOFLUSH), 0);
    const std::string port = pending(pair_.port, 1000);
    EXPECT_FALSE(port.ends_with(answer)) << port.size() << " bytes reached the port";
}

}  // namespace
