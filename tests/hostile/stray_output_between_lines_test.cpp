// The library against a telnet board that puts stray output on the wire
// while no line runs: a kernel log line, a prompt printed again, text that
// holds the very line the library sends next, a line editor's redraw, escape
// sequences, telnet commands, NUL bytes. The board echoes every line, either
// at once (a pseudo-terminal) or when its shell reads the line (a line
// editor, a little or a lot later). Whatever came before, the next line must
// succeed with its own value or fail, and the lines after it must get their
// own answers.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "mpdll/mpdll.h"
#include "support/busy_cores.h"

namespace {

using namespace std::chrono_literals;

constexpr unsigned char kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251;
constexpr unsigned char kEcho = 1, kSuppressGoAhead = 3;

// A board's telnet server and shell: echoes each line (at once, or when the
// shell reads it), answers "flash get NAME" with "NAME=v_NAME" and "# ", one
// line at a time.
class EchoingBoard {
  public:
    EchoingBoard(bool echoAtOnce, int echoDelayMs) : echoAtOnce_(echoAtOnce), echoDelayMs_(echoDelayMs) {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (::bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        port_ = ntohs(address.sin_port);
        reader_ = std::thread([this] { read_lines(); });
        shell_ = std::thread([this] { answer_lines(); });
    }
    ~EchoingBoard() {
        {
            // Under the lock, so the shell cannot miss the wake-up between
            // its look at stop_ and its wait.
            std::lock_guard lock(linesMutex_);
            stop_ = true;
        }
        changed_.notify_all();
        reader_.join();
        shell_.join();
        if (client_ >= 0) ::close(client_);
        ::close(listener_);
    }
    int port() const { return port_; }
    // Bytes put on the wire as they are.
    void send_raw(const std::string& bytes) {
        std::lock_guard lock(sendMutex_);
        if (client_ >= 0) (void)!::send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

  private:
    void read_lines() {
        int client = -1;
        while (!stop_ && client < 0) {
            pollfd entry{listener_, POLLIN, 0};
            if (::poll(&entry, 1, 10) > 0) client = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        }
        if (client < 0) return;
        const int on = 1;
        ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        {
            std::lock_guard lock(sendMutex_);
            client_ = client;
        }
        send_raw(std::string{char(kIac), char(kWill), char(kEcho), char(kIac), char(kWill), char(kSuppressGoAhead)});
        send_raw("# ");
        std::string line;
        int optionBytesLeft = 0;
        unsigned char verb = 0;
        bool afterCr = false;
        char buffer[4096];
        while (!stop_) {
            pollfd entry{client, POLLIN, 0};
            if (::poll(&entry, 1, 10) <= 0) continue;
            const ssize_t got = ::recv(client, buffer, sizeof buffer, 0);
            if (got <= 0) return;
            for (ssize_t at = 0; at < got; ++at) {
                const auto byte = static_cast<unsigned char>(buffer[at]);
                if (optionBytesLeft == 2) {  // after IAC: the verb
                    verb = byte;
                    optionBytesLeft = byte >= kWill ? 1 : 0;
                    continue;
                }
                if (optionBytesLeft == 1) {  // the option
                    optionBytesLeft = 0;
                    if (verb == kDo && byte != kEcho && byte != kSuppressGoAhead)
                        send_raw(std::string{char(kIac), char(kWont), char(byte)});
                    if (verb == kWill) send_raw(std::string{char(kIac), char(kDont), char(byte)});
                    continue;
                }
                if (byte == kIac) {
                    optionBytesLeft = 2;
                    continue;
                }
                if (afterCr && (byte == 0 || byte == '\n')) {
                    afterCr = false;
                    continue;
                }
                afterCr = byte == '\r';
                if (echoAtOnce_) send_raw(byte == '\r' ? std::string("\r\n") : std::string(1, char(byte)));
                if (byte != '\r' && byte != '\n') {
                    line.push_back(char(byte));
                    continue;
                }
                std::lock_guard lock(linesMutex_);
                lines_.push_back(line);
                line.clear();
                changed_.notify_all();
            }
        }
    }

    void answer_lines() {
        for (;;) {
            std::string line;
            {
                std::unique_lock lock(linesMutex_);
                changed_.wait(lock, [this] { return stop_ || !lines_.empty(); });
                if (stop_) return;
                line = lines_.front();
                lines_.pop_front();
            }
            if (!echoAtOnce_) {
                std::this_thread::sleep_for(std::chrono::milliseconds(echoDelayMs_));
                send_raw(line + "\r\n");
            }
            std::this_thread::sleep_for(100ms);
            const std::string name = line.rfind("flash get ", 0) == 0 ? line.substr(10) : line;
            send_raw(name + "=v_" + name + "\r\n# ");
        }
    }

    bool echoAtOnce_;
    int echoDelayMs_;
    int listener_ = -1, client_ = -1, port_ = 0;
    std::atomic<bool> stop_{false};
    std::mutex sendMutex_, linesMutex_;
    std::condition_variable changed_;
    std::deque<std::string> lines_;
    std::thread reader_, shell_;
};

struct StrayCase {
    const char* name;
    bool echoAtOnce;
    int echoDelayMs;     // a line editor's: from the line's arrival to its echo
    std::string stray;   // on the wire after the first line's prompt
    std::string target;  // the FlashGet name sent next
};
void PrintTo(const StrayCase& c, std::ostream* out) { *out << c.name; }

const std::string kIacDoTerminalTypeNop("\xff\xfd\x18\xff\xf1", 5);
constexpr char kNulText[] = "\r\0[  12.345] wlan0: link up\r\n\0\0";
const std::string kNulBytes(kNulText, sizeof kNulText - 1);

const StrayCase kCases[] = {
    {"pty_kernel_log", true, 0, "[  12.345] wlan0: link up\r\n", "THER"},
    {"pty_prompt_again", true, 0, "# ", "THER"},
    {"pty_escape_sequences", true, 0, "\x1b[1;32m\x1b]0;root@board\a\x1b[38;2;255;255;255;48;2;0;0;0;1;4;5m", "THER"},
    {"pty_telnet_commands", true, 0, kIacDoTerminalTypeNop + "\xff\xff", "THER"},
    {"pty_nul_bytes", true, 0, kNulBytes, "THER"},
    {"pty_message_holding_the_next_line", true, 0, "note: flash get THER\r\n", "THER"},
    {"pty_next_line_then_prompt", true, 0, "flash get THER\r\n# ", "THER"},
    {"pty_message_holding_the_next_line_then_prompt", true, 0, "sh: flash get THER\r\n# ", "THER"},
    {"pty_redraw_of_the_same_line", true, 0, "# flash get XCAP\r\n# ", "XCAP"},
    {"pty_next_line_replayed_with_an_answer", true, 0, "flash get THER\r\nTHER=stale\r\n# ", "THER"},
    {"editor_next_line_replayed_with_an_answer", false, 30, "flash get THER\r\nTHER=stale\r\n# ", "THER"},
    {"editor_redraw_of_the_same_line", false, 30, "\r\n# flash get XCAP\r\n# ", "XCAP"},
    {"slow_editor_prompt_again", false, 2500, "# ", "THER"},
    {"slow_editor_kernel_log_with_a_value_then_prompt", false, 2500, "[  12.345] wlan0: state=up\r\n# ", "THER"},
};

struct Got {
    std::int32_t status;
    std::string value;
};

Got flash_get(DevContext& dev, const std::string& name) {
    std::vector<char> value(16384);
    const std::int32_t status = FlashGet(&dev, name.c_str(), value.data());
    return {status, value.data()};
}

class StrayOutput : public ::testing::TestWithParam<StrayCase> {
  protected:
    void run_case() {
        const StrayCase& c = GetParam();
        EchoingBoard board(c.echoAtOnce, c.echoDelayMs);
        ASSERT_NE(board.port(), 0);
        DevContext dev{};
        dev.mode = MPDLL_MODE_TELNET;
        const std::string address = "127.0.0.1:" + std::to_string(board.port());
        std::strncpy(dev.ipText, address.c_str(), sizeof dev.ipText - 1);
        std::strncpy(dev.prompt, "# ", sizeof dev.prompt - 1);
        ASSERT_EQ(OpenDev(&dev), MPDLL_OK);
        const Got first = flash_get(dev, "XCAP");
        EXPECT_EQ(first.status, MPDLL_OK);
        EXPECT_EQ(first.value, "v_XCAP");

        board.send_raw(c.stray);
        std::this_thread::sleep_for(150ms);  // waiting when the next line goes out
        const Got target = flash_get(dev, c.target);
        if (target.status == MPDLL_OK) {
            EXPECT_EQ(target.value, "v_" + c.target) << "another line's answer taken as success";
        }
        for (const char* name : {"P1", "P2"}) {
            const Got next = flash_get(dev, name);
            EXPECT_EQ(next.status, MPDLL_OK) << name;
            EXPECT_EQ(next.value, std::string("v_") + name) << "the line after the stray output";
        }
        CloseDev(&dev, dev.openFlags);
    }
};

TEST_P(StrayOutput, LeavesEveryLineItsOwnAnswer) { run_case(); }

INSTANTIATE_TEST_SUITE_P(Boards, StrayOutput, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// The quick cases again while two busy processes load both cores.
class LoadedStrayOutput : public StrayOutput {
  private:
    mpdll::test::BusyCores load_;
};

TEST_P(LoadedStrayOutput, LeavesEveryLineItsOwnAnswer) { run_case(); }

INSTANTIATE_TEST_SUITE_P(Boards, LoadedStrayOutput,
                         ::testing::Values(kCases[0], kCases[1], kCases[6], kCases[9], kCases[10]),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
