// The connections' lines in the library's debug text: on POSIX they go to
// standard error while MPDLL_TRACE is set. Why an open failed, with the
// step, the operating system's error number, what was heard last (escaped,
// the password masked also where the cut went through it) and the time
// spent, for every transport; why an exchange failed, with its export, step
// and error number; and every connection closed, with the time since its
// open began. And lastReceived, cut to its 16 KiB, never keeps a piece of
// the password either.
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "connection/trace.h"
#include "mpdll/mpdll.h"
#include "platform/native_ops.h"
#include "platform/platform.h"
#include "support/loopback_peer.h"
#include "support/pseudo_terminal.h"
#include "support/swapped_platform_ops.h"

namespace connection_test {
namespace {

class TraceOn : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }
};

TEST_F(TraceOn, SaysTheStepWhatWasHeardAndTheTime) {
    mpdll::OpenTrace trace("connect", "hunter2");
    trace.step("password");
    const char heard[] = "login: admin\r\nhunter2\x01\"\\\xff";
    trace.heard(std::string(heard, sizeof heard - 1));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(trace.fail("the login was refused"), MPDLL_E_OPEN);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(said.rfind("mpdll: open failed at password after ", 0), 0u) << said;
    EXPECT_NE(said.find(" ms: the login was refused; last heard \"login: admin\\r\\n*******\\x01\\\"\\\\\\xff\"\n"),
              std::string::npos)
        << said;
}

TEST_F(TraceOn, KeepsOnlyTheNewestBytesHeard) {
    mpdll::OpenTrace trace("connect", "");
    trace.heard(std::string(200, 'a'));
    trace.heard("tail");
    ::testing::internal::CaptureStderr();
    trace.fail("why");
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("\"" + std::string(92, 'a') + "tail\""), std::string::npos) << said;
}

TEST(TraceOff, SaysNothingWithoutMpdllTrace) {
    ::unsetenv("MPDLL_TRACE");
    mpdll::OpenTrace trace("connect", "");
    ::testing::internal::CaptureStderr();
    trace.fail("why");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST_F(TraceOn, AFailedTelnetOpenSaysWhy) {
    ScriptedPeer peer([](PeerLink& link) {
        link.write("board login: ");
        link.read_until("\r");
        link.write("admin\r\nPassword: ");
        link.read_until("\r");
        link.write("\r\nLogin incorrect\r\nboard login: ");
        link.sees_close(3000);
    });
    DevContext dev;
    std::memset(&dev, 0, sizeof dev);
    dev.mode = MPDLL_MODE_TELNET;
    std::memcpy(dev.ipText, peer.address().data(), peer.address().size());
    std::memcpy(dev.prompt, "# ", 2);
    std::memcpy(dev.userName, "admin", 5);
    std::memcpy(dev.password, "s3cret", 6);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("open failed at password after "), std::string::npos) << said;
    EXPECT_NE(said.find("the login was refused; last heard \"board login: admin\\r\\nPassword: \\r\\nLogin "
                        "incorrect\\r\\nboard login: \""),
              std::string::npos)
        << said;
    EXPECT_EQ(said.find("s3cret"), std::string::npos);
}

const std::string kPassword = "Qz7-Kv9.Wx2_Lm4+Rt6";

// True when text holds three characters in a row of the password.
bool holds_piece_of_password(const std::string& text) {
    for (std::size_t at = 0; at + 3 <= kPassword.size(); ++at)
        if (text.find(kPassword.substr(at, 3)) != std::string::npos) return true;
    return false;
}

DevContext telnet_record(const std::string& address) {
    DevContext dev;
    std::memset(&dev, 0, sizeof dev);
    dev.mode = MPDLL_MODE_TELNET;
    std::memcpy(dev.ipText, address.data(), address.size());
    std::memcpy(dev.prompt, "# ", 2);
    std::memcpy(dev.userName, "root", 4);
    std::memcpy(dev.password, kPassword.data(), kPassword.size());
    return dev;
}

// Logs in up to the password, then lets `after` play the board's answer.
void asks_for_the_password(PeerLink& link) {
    link.write("board login: ");
    link.read_until("\r");
    link.write("root\r\nPassword: ");
    link.read_until("\r");
}

// A board that echoes the password and refuses it: the trace keeps the
// newest 96 bytes, and however many of the password's characters fall
// behind its cut, none of them shows.
TEST_F(TraceOn, APasswordTheTraceCutsThroughNeverShows) {
    constexpr std::size_t kTraceKeeps = 96;
    const std::string refusal = "\r\nLogin incorrect\r\nboard login: ";
    for (const std::size_t kept : {1u, 2u, 3u, 10u, 16u, 18u}) {
        const std::string filler(kTraceKeeps - kept - refusal.size(), '.');
        ScriptedPeer peer([&](PeerLink& link) {
            asks_for_the_password(link);
            link.write(kPassword + filler + refusal);
            link.sees_close(3000);
        });
        DevContext dev = telnet_record(peer.address());
        ::testing::internal::CaptureStderr();
        EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN);
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_NE(said.find("last heard \"" + std::string(kept, '*') + filler), std::string::npos)
            << kept << " kept: " << said;
        EXPECT_FALSE(holds_piece_of_password(said)) << said;
    }
}

// The echo of the password stops short and the board hangs up: the part
// that came is masked too.
TEST_F(TraceOn, AnEchoCutShortByTheBoardNeverShows) {
    ScriptedPeer peer([&](PeerLink& link) {
        asks_for_the_password(link);
        link.write(kPassword.substr(0, 11));
        link.close();
    });
    DevContext dev = telnet_record(peer.address());
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenDev(&dev), MPDLL_E_OPEN);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("the board closed the connection; last heard \"board login: root\\r\\nPassword: ***********\""),
              std::string::npos)
        << said;
}

// After a good login lastReceived holds the newest 16383 bytes the board
// said after the password: an echoed password its cut goes through leaves
// only asterisks.
TEST(LoginRecord, ACutThroughThePasswordInLastReceivedLeavesNoPieceOfIt) {
    constexpr std::size_t kReceivedKeeps = 16383;
    for (const std::size_t kept : {1u, 3u, 16u, 18u}) {
        const std::string filler(kReceivedKeeps - kept - 2 - 2, '=');
        ScriptedPeer peer([&](PeerLink& link) {
            asks_for_the_password(link);
            link.write(kPassword + "\r\n" + filler + "# ");
            link.sees_close(3000);
        });
        DevContext dev = telnet_record(peer.address());
        ASSERT_EQ(OpenDev(&dev), MPDLL_OK);
        std::vector<char> sent(2048), received(16384);
        GetBuffer(&dev, sent.data(), static_cast<std::int32_t>(sent.size()), received.data(),
                  static_cast<std::int32_t>(received.size()));
        const std::string text(received.data());
        EXPECT_EQ(text.size(), kReceivedKeeps);
        EXPECT_EQ(text.substr(0, kept + 2), std::string(kept, '*') + "\r\n") << kept << " kept";
        EXPECT_FALSE(holds_piece_of_password(text)) << text.substr(0, 40);
        CloseDev(&dev, MPDLL_MODE_TELNET);
    }
}

// The descriptors this process holds.
int open_descriptors() {
    int count = 0;
    DIR* listing = ::opendir("/proc/self/fd");
    while (listing && ::readdir(listing)) ++count;
    if (listing) ::closedir(listing);
    return count;
}

// Leaves the process exactly `free` descriptors (the lowest free numbers)
// until the guard goes, so that the next call that needs one more fails.
std::shared_ptr<void> only_descriptors_left(int free) {
    rlimit before{};
    ::getrlimit(RLIMIT_NOFILE, &before);
    int seen = 0, fd = 0;
    for (; seen < free; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) ++seen;
    rlimit tight = before;
    tight.rlim_cur = static_cast<rlim_t>(fd);
    ::setrlimit(RLIMIT_NOFILE, &tight);
    return std::shared_ptr<void>(nullptr, [before](void*) { ::setrlimit(RLIMIT_NOFILE, &before); });
}

struct FailedOpen {
    const char* name;
    // Sets the record up; what it returns lives until the open has ended.
    std::function<std::shared_ptr<void>(DevContext&)> arrange;
    const char* step;
    std::string why;  // with the system error
};

void PrintTo(const FailedOpen& c, std::ostream* out) { *out << c.name; }

std::string system_error(int number) { return " (system error " + std::to_string(number) + ")"; }

std::shared_ptr<void> serial_port(DevContext& dev, const char* path) {
    dev.mode = MPDLL_MODE_SERIAL;
    dev.portName = path;
    dev.dcb.BaudRate = 115200;
    dev.dcb.ByteSize = 8;
    return nullptr;
}

// A socket table whose UDP sockets fail from the n-th on (counted from 1).
struct FailingUdpSockets {
    static inline int madeSoFar = 0, failFrom = 1;
    static inline mpdll::platform::SocketOps ops{};
    static std::shared_ptr<void> from(DevContext& dev, int nth) {
        dev.mode = MPDLL_MODE_UDP;
        madeSoFar = 0;
        failFrom = nth;
        ops = mpdll::platform::native_socket_ops();
        ops.open_udp = [] {
            if (++madeSoFar < failFrom) return mpdll::platform::native_socket_ops().open_udp();
            return static_cast<MpSocket>(-1);
        };
        ops.last_error = [] { return EMFILE; };
        return std::make_shared<mpdll::test::SwappedPlatformOps>(ops);
    }
};

const FailedOpen kFailedOpens[] = {
    {"serial_device_missing", [](DevContext& dev) { return serial_port(dev, "/nonexistent/mpdll-console"); },
     "serial port", "the port \"/nonexistent/mpdll-console\" could not be opened" + system_error(ENOENT)},
    {"serial_device_no_terminal", [](DevContext& dev) { return serial_port(dev, "/dev/null"); }, "serial port",
     "the port \"/dev/null\" could not be opened" + system_error(ENOTTY)},
    {"serial_no_port_named", [](DevContext& dev) { return serial_port(dev, nullptr); }, "serial port",
     "the port \"\" could not be opened" + system_error(ENOENT)},
    {"udp_first_socket", [](DevContext& dev) { return FailingUdpSockets::from(dev, 1); }, "UDP socket",
     "no datagram socket could be made" + system_error(EMFILE)},
    {"udp_second_socket", [](DevContext& dev) { return FailingUdpSockets::from(dev, 2); }, "UDP socket",
     "no datagram socket could be made" + system_error(EMFILE)},
    // Room for the two sockets only: the first named object finds none.
    {"udp_named_objects",
     [](DevContext& dev) {
         dev.mode = MPDLL_MODE_UDP;
         return only_descriptors_left(2);
     },
     "named objects", "MUTEX_CMD could not be made" + system_error(EMFILE)},
};

class FailedOpens : public ::testing::TestWithParam<FailedOpen> {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }
};

// Every failed serial and UDP open says why, with the operating system's
// error number, and leaves the record closed and no descriptor behind.
TEST_P(FailedOpens, SayWhyAndLeaveNothingOpen) {
    const FailedOpen& c = GetParam();
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    ::testing::internal::CaptureStderr();
    std::shared_ptr<void> arranged = c.arrange(*dev);
    const int descriptors = open_descriptors();
    const std::int32_t status = OpenDev(dev.get());
    EXPECT_EQ(open_descriptors(), descriptors) << "the failed open left a descriptor open";
    arranged.reset();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, MPDLL_E_OPEN);
    EXPECT_EQ(said.rfind("mpdll: open failed at " + std::string(c.step) + " after ", 0), 0u) << said;
    EXPECT_TRUE(said.ends_with(" ms: " + c.why + "; last heard \"\"\n")) << said;
    EXPECT_EQ(dev->openFlags, 0u);
    if (dev->mode == MPDLL_MODE_SERIAL) {
        EXPECT_EQ(dev->serialHandle, mpdll::platform::kInvalidHandle);
    } else {
        EXPECT_EQ(dev->udpSocket, mpdll::platform::kInvalidSocket);
        EXPECT_EQ(dev->udpAuxSocket, mpdll::platform::kInvalidSocket);
        EXPECT_EQ(dev->cmdMutex, nullptr);
        EXPECT_EQ(dev->cmdEvent, nullptr);
        EXPECT_EQ(dev->cmdDoneEvent, nullptr);
    }
}

INSTANTIATE_TEST_SUITE_P(SerialAndUdp, FailedOpens, ::testing::ValuesIn(kFailedOpens),
                         [](const auto& info) { return std::string(info.param.name); });

// Line settings the port does not take leave the port with its own: the
// open goes on and the debug text says so.
TEST_F(FailedOpens, LineSettingsThePortDoesNotTakeAreNotedAndTheOpenGoesOn) {
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    ::testing::internal::CaptureStderr();
    auto console = std::make_shared<mpdll::test::PseudoTerminal>();
    serial_port(*dev, console->path().c_str());
    dev->dcb.BaudRate = 12345;  // no terminal runs at that speed
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_OK);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("mpdll: open at line settings after "), std::string::npos) << said;
    EXPECT_NE(
        said.find("does not take the line settings in dcb and keeps its own" + system_error(EINVAL) + "; going on"),
        std::string::npos)
        << said;
    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_SERIAL), MPDLL_OK);
}

// The text between prefix and suffix when said is exactly one line
// "prefix N suffix" with N a number of milliseconds; -1 otherwise.
long milliseconds_in(const std::string& said, const std::string& prefix, const std::string& suffix) {
    if (said.rfind(prefix, 0) != 0 || !said.ends_with(suffix) || said.size() < prefix.size() + suffix.size() + 1)
        return -1;
    const std::string number = said.substr(prefix.size(), said.size() - prefix.size() - suffix.size());
    if (number.find_first_not_of("0123456789") != std::string::npos) return -1;
    return std::stol(number);
}

namespace platform = mpdll::platform;

// Stand-in platform tables for the failing exchanges below; their state is
// static because the tables hold plain function pointers.
struct StandIn {
    static inline int waits = 0;
    static inline bool answerWaits = false;
    static inline std::string answer;

    static platform::SocketOps sockets() {
        waits = 0;
        answerWaits = false;
        platform::SocketOps ops = platform::native_socket_ops();
        ops.wait_readable = [](MpSocket, int) { return platform::Wait::timeout; };
        ops.send = [](MpSocket, const char*, int length) { return length; };
        ops.send_to = [](MpSocket, const char*, int length, const MpSockAddrIn&) { return length; };
        ops.pending = [](MpSocket) { return 0; };
        ops.acknowledge_now = [](MpSocket) {};
        return ops;
    }
    static platform::SerialOps serial() {
        platform::SerialOps ops = platform::native_serial_ops();
        ops.purge = [](MpHandle, unsigned) { return true; };
        ops.write = [](MpHandle, const char*, int length) { return length; };
        ops.status = [](MpHandle, std::uint32_t* in, std::uint32_t* out) {
            *in = *out = 0;
            return true;
        };
        return ops;
    }
};

struct FailedExchange {
    const char* name;
    std::int32_t mode;
    // Makes the stand-in tables fail.
    void (*arrange)(platform::SocketOps&, platform::SerialOps&);
    // Runs the export on the record.
    std::int32_t (*run)(DevContext&);
    std::int32_t status;
    std::string start;  // the line up to the milliseconds
    std::string end;    // the line after them
};

void PrintTo(const FailedExchange& c, std::ostream* out) { *out << c.name; }

std::int32_t send_command(DevContext& dev) {
    char response[64];
    return SendCommand(&dev, "iwpriv wlan0 mp_start", response, sizeof response, 0, 0);
}

std::int32_t telnet_rcv(DevContext& dev) {
    char buffer[64];
    std::int32_t length = 0;
    return TelnetRcv(&dev, buffer, sizeof buffer, &length, 0);
}

std::int32_t serial_rcv(DevContext& dev) {
    char buffer[64] = {};
    return SerialRcv(&dev, buffer, sizeof buffer, nullptr, 0);
}

void socket_reads_fail(platform::SocketOps& sockets, platform::SerialOps&) {
    sockets.wait_readable = [](MpSocket, int) { return platform::Wait::ready; };
    sockets.recv = [](MpSocket, char*, int) { return -1; };
    sockets.last_error = [] { return ECONNRESET; };
}

const FailedExchange kFailedExchanges[] = {
    {"telnet_send", MPDLL_MODE_TELNET,
     [](platform::SocketOps& sockets, platform::SerialOps&) {
         sockets.send = [](MpSocket, const char*, int) { return -1; };
         sockets.last_error = [] { return ECONNRESET; };
     },
     send_command, ECONNRESET, "mpdll: SendCommand failed at send after ",
     " ms: the socket send failed" + system_error(ECONNRESET) + "\n"},
    {"telnet_read", MPDLL_MODE_TELNET, socket_reads_fail, send_command, ECONNRESET,
     "mpdll: SendCommand failed at receive after ", " ms: the socket read failed" + system_error(ECONNRESET) + "\n"},
    {"telnet_wait", MPDLL_MODE_TELNET,
     [](platform::SocketOps& sockets, platform::SerialOps&) {
         sockets.wait_readable = [](MpSocket, int) { return platform::Wait::failed; };
         sockets.last_error = [] { return EBADF; };
     },
     send_command, MPDLL_E_TRANSPORT, "mpdll: SendCommand failed at receive after ",
     " ms: waiting for the socket failed" + system_error(EBADF) + "\n"},
    {"telnet_rcv_read", MPDLL_MODE_TELNET, socket_reads_fail, telnet_rcv, ECONNRESET,
     "mpdll: TelnetRcv failed at receive after ", " ms: the socket read failed" + system_error(ECONNRESET) + "\n"},
    {"udp_send", MPDLL_MODE_UDP,
     [](platform::SocketOps& sockets, platform::SerialOps&) {
         sockets.send_to = [](MpSocket, const char*, int, const MpSockAddrIn&) { return -1; };
         sockets.last_error = [] { return EHOSTUNREACH; };
     },
     send_command, MPDLL_E_TRANSPORT, "mpdll: SendCommand failed at send after ",
     " ms: the datagram could not be sent" + system_error(EHOSTUNREACH) + "\n"},
    {"udp_read", MPDLL_MODE_UDP,
     [](platform::SocketOps& sockets, platform::SerialOps&) {
         // The first wait belongs to the discard of stale datagrams.
         sockets.wait_readable = [](MpSocket, int) {
             return ++StandIn::waits == 1 ? platform::Wait::timeout : platform::Wait::ready;
         };
         sockets.recv_from = [](MpSocket, char*, int, MpSockAddrIn*) { return -1; };
         sockets.last_error = [] { return ECONNREFUSED; };
     },
     send_command, MPDLL_E_TRANSPORT, "mpdll: SendCommand failed at receive after ",
     " ms: the socket read failed" + system_error(ECONNREFUSED) + "\n"},
    {"serial_write", MPDLL_MODE_SERIAL,
     [](platform::SocketOps&, platform::SerialOps& serial) {
         serial.write = [](MpHandle, const char*, int) { return -1; };
     },
     send_command, MPDLL_E_TRANSPORT, "mpdll: SendCommand failed at send after ",
     " ms: the port did not take the whole line\n"},
    {"serial_status", MPDLL_MODE_SERIAL,
     [](platform::SocketOps&, platform::SerialOps& serial) {
         serial.status = [](MpHandle, std::uint32_t*, std::uint32_t*) { return false; };
     },
     send_command, MPDLL_E_SERIAL_TIMEOUT, "mpdll: SendCommand failed at receive after ",
     " ms: the port status could not be read\n"},
    {"serial_rcv_status", MPDLL_MODE_SERIAL,
     [](platform::SocketOps&, platform::SerialOps& serial) {
         serial.status = [](MpHandle, std::uint32_t*, std::uint32_t*) { return false; };
     },
     serial_rcv, MPDLL_E_SERIAL_TIMEOUT, "mpdll: SerialRcv failed at receive after ",
     " ms: the port status could not be read\n"},
    {"unknown_mode", 3, [](platform::SocketOps&, platform::SerialOps&) {}, send_command, MPDLL_E_MODE,
     "mpdll: SendCommand failed at mode after ",
     " ms: the record's mode names no transport (1 UDP, 2 telnet, 4 serial)\n"},
};

class FailedExchanges : public ::testing::TestWithParam<FailedExchange> {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }
};

// Every failed exchange writes one line: the export and its step, the
// reason with the operating system's error number where the platform keeps
// one (sockets do, a serial port's reads and writes do not), and the time
// since the call began.
TEST_P(FailedExchanges, WriteOneLineWithTheStepTheReasonAndTheErrorNumber) {
    const FailedExchange& c = GetParam();
    platform::SocketOps sockets = StandIn::sockets();
    platform::SerialOps serial = StandIn::serial();
    c.arrange(sockets, serial);
    const mpdll::test::SwappedPlatformOps swapped(sockets, serial);
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    std::memcpy(dev->prompt, "# ", 2);
    dev->mode = c.mode;
    ::testing::internal::CaptureStderr();
    const std::int32_t status = c.run(*dev);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(status, c.status);
    EXPECT_GE(milliseconds_in(said, c.start, c.end), 0) << said;
}

INSTANTIATE_TEST_SUITE_P(EveryTransport, FailedExchanges, ::testing::ValuesIn(kFailedExchanges),
                         [](const auto& info) { return std::string(info.param.name); });

// An exchange that succeeds writes nothing.
TEST_F(TraceOn, AnAnsweredExchangeWritesNothing) {
    platform::SocketOps sockets = StandIn::sockets();
    StandIn::answer = "ls\r\nfile\r\n# ";
    // The answer waits once the line went out.
    sockets.send = [](MpSocket, const char*, int length) {
        StandIn::answerWaits = true;
        return length;
    };
    sockets.wait_readable = [](MpSocket, int) {
        return StandIn::answerWaits ? platform::Wait::ready : platform::Wait::timeout;
    };
    sockets.recv = [](MpSocket, char* data, int capacity) {
        const int length = std::min(capacity, static_cast<int>(StandIn::answer.size()));
        std::memcpy(data, StandIn::answer.data(), static_cast<std::size_t>(length));
        StandIn::answerWaits = false;
        return length;
    };
    const mpdll::test::SwappedPlatformOps swapped(sockets);
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    std::memcpy(dev->prompt, "# ", 2);
    dev->mode = MPDLL_MODE_TELNET;
    char response[64] = {};
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(SendCommand(dev.get(), "ls", response, sizeof response, 0, 0), MPDLL_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_STREQ(response, "\r\nfile\r\n");
}

struct ClosedConnection {
    const char* name;
    // Sets the record up; what it returns lives until the record is closed.
    std::function<std::shared_ptr<void>(DevContext&)> arrange;
    std::uint32_t mode;
    const char* transport;
};

void PrintTo(const ClosedConnection& c, std::ostream* out) { *out << c.name; }

const ClosedConnection kClosedConnections[] = {
    {"udp",
     [](DevContext& dev) {
         dev.mode = MPDLL_MODE_UDP;
         return std::shared_ptr<void>();
     },
     MPDLL_MODE_UDP, "udp"},
    {"serial",
     [](DevContext& dev) {
         // The console, and with it the name the opens read, lives as long
         // as the record is open.
         auto console = std::make_shared<mpdll::test::PseudoTerminal>();
         serial_port(dev, console->path().c_str());
         return std::shared_ptr<void>(console);
     },
     MPDLL_MODE_SERIAL, "serial"},
};

class ClosedConnections : public ::testing::TestWithParam<ClosedConnection> {
  protected:
    void SetUp() override { ::setenv("MPDLL_TRACE", "1", 1); }
    void TearDown() override { ::unsetenv("MPDLL_TRACE"); }
};

constexpr long kOpenForMs = 60;

// Every connection closed writes one line with the export that closed it
// and the time since its open began; a mode that is not open writes none.
TEST_P(ClosedConnections, CloseDevSaysWhatItClosedAndHowLongItWasOpen) {
    const ClosedConnection& c = GetParam();
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    const std::shared_ptr<void> arranged = c.arrange(*dev);
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(kOpenForMs));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(CloseDev(dev.get(), c.mode), MPDLL_OK);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_GE(milliseconds_in(said, "mpdll: CloseDev closed the " + std::string(c.transport) + " connection ",
                              " ms after its open began\n"),
              kOpenForMs)
        << said;
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(CloseDev(dev.get(), MPDLL_MODE_UDP | MPDLL_MODE_TELNET | MPDLL_MODE_SERIAL), MPDLL_OK);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "") << "nothing was open";
}

// Opening a mode again closes its connection first, and says so with the
// time the old connection was open.
TEST_P(ClosedConnections, OpenDevSaysItClosedTheConnectionItOpensAgain) {
    const ClosedConnection& c = GetParam();
    auto dev = std::make_unique<DevContext>();
    std::memset(dev.get(), 0, sizeof(DevContext));
    const std::shared_ptr<void> arranged = c.arrange(*dev);
    ASSERT_EQ(OpenDev(dev.get()), MPDLL_OK);
    std::this_thread::sleep_for(std::chrono::milliseconds(kOpenForMs));
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(OpenDev(dev.get()), MPDLL_OK);
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_GE(milliseconds_in(said, "mpdll: OpenDev closed the " + std::string(c.transport) + " connection ",
                              " ms after its open began\n"),
              kOpenForMs)
        << said;
    EXPECT_EQ(CloseDev(dev.get(), c.mode), MPDLL_OK);
}

INSTANTIATE_TEST_SUITE_P(UdpAndSerial, ClosedConnections, ::testing::ValuesIn(kClosedConnections),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace connection_test
