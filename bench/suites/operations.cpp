// Whole operations over telnet and serial: the open with its login (against
// the simulator and against busybox telnetd with a stand-in login), EnterMP,
// TxStart, an RxQuery loop, FlashGet, FlashSet and the thermal query. Each
// call's time is split into the fixed waits the operation is built with
// (the library's own sleeps: quiet waits, the 500 ms flash wait, the
// 1000 ms thermal wait) and the rest (exchanges with the board).
#include <benchmark/benchmark.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "suites/sleep_meter.h"
#include "suites/suites.h"
#include "support/bench_boards.h"
#include "support/latency_samples.h"

namespace mpbench {
namespace {

class OperationSamples {
  public:
    void add(double totalMs, double fixedMs) {
        total_.push_back(totalMs);
        fixed_.push_back(fixedMs);
        rest_.push_back(totalMs - fixedMs);
    }
    void publish(benchmark::State& state) const {
        state.counters["total_ms"] = median(total_);
        state.counters["fixed_wait_ms"] = median(fixed_);
        state.counters["rest_ms"] = median(rest_);
        state.counters["rest_max_ms"] = rest_.empty() ? 0 : *std::max_element(rest_.begin(), rest_.end());
        state.counters["samples"] = static_cast<double>(total_.size());
    }

  private:
    static double median(std::vector<double> values) {
        if (values.empty()) return 0;
        std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2), values.end());
        return values[values.size() / 2];
    }
    std::vector<double> total_, fixed_, rest_;
};

// Times one operation call; false when it did not return MPDLL_OK.
bool timed_operation(OperationSamples& samples, const std::function<int()>& operation) {
    const double slept0 = slept_ms();
    const auto start = Clock::now();
    const int status = operation();
    const double total = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    samples.add(total, slept_ms() - slept0);
    return status == MPDLL_OK;
}

enum class Link { telnet, serial };

std::unique_ptr<LibrarySession> open_session(Link link, SharedBoard& board) {
    return link == Link::telnet ? LibrarySession::telnet(board.simulator->telnet_port())
                                : LibrarySession::serial(board.simulator->serial_path(), false);
}

// Runs operation on a session opened (and put into test mode) beforehand;
// prepare runs untimed before each call.
void on_open_session(benchmark::State& state, Link link, const std::function<int(DevContext*)>& operation,
                     const std::function<void(DevContext*)>& prepare = {}) {
    SharedBoard& board = shared_board(Writes::nagle);
    std::unique_ptr<LibrarySession> session = open_session(link, board);
    if (!session->is_open() || EnterMP(&session->dev()) != MPDLL_OK) {
        state.SkipWithError("open or EnterMP failed");
        return;
    }
    DevContext* dev = &session->dev();
    OperationSamples samples;
    for (auto _ : state) {
        if (prepare) {
            state.PauseTiming();
            prepare(dev);
            state.ResumeTiming();
        }
        if (!timed_operation(samples, [&] { return operation(dev); })) {
            state.SkipWithError("operation failed");
            break;
        }
    }
    samples.publish(state);
}

void open_with_login(benchmark::State& state) {
    SharedBoard& board = shared_board(Writes::nagle);
    OperationSamples samples;
    for (auto _ : state) {
        std::unique_ptr<LibrarySession> session;
        if (!timed_operation(samples, [&] {
                session = LibrarySession::telnet(board.simulator->telnet_port());
                return session->open_result();
            })) {
            state.SkipWithError("OpenDev failed");
            break;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    samples.publish(state);
}

// busybox telnetd with the stand-in login program of the real-peer tests
// (a real pseudo-terminal, a real line discipline), for as long as it lives.
class TelnetServer {
  public:
    explicit TelnetServer(int port) {
        const std::string tools = std::string(MPDLL_SOURCE_DIR) + "/tests/realpeers/board-tools/";
        const std::string address = "127.0.0.1:" + std::to_string(port);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::execlp("busybox", "busybox", "telnetd", "-F", "-b", address.c_str(), "-l",
                     (tools + "board-login").c_str(), "-f", (tools + "issue").c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
    }
    ~TelnetServer() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
    TelnetServer(const TelnetServer&) = delete;
    TelnetServer& operator=(const TelnetServer&) = delete;

  private:
    pid_t pid_ = -1;
};

void open_on_busybox_telnetd(benchmark::State& state) {
    const int port = 30000 + ::getpid() % 20000;
    const TelnetServer server(port);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    OperationSamples samples;
    for (auto _ : state) {
        std::unique_ptr<LibrarySession> session;
        if (!timed_operation(samples, [&] {
                session = LibrarySession::telnet(port);
                return session->open_result();
            })) {
            state.SkipWithError("OpenDev against busybox telnetd failed (is busybox installed?)");
            break;
        }
        state.PauseTiming();
        session.reset();
        state.ResumeTiming();
    }
    samples.publish(state);
}

void enter_mp(benchmark::State& state, Link link) {
    on_open_session(state, link, [](DevContext* dev) { return EnterMP(dev); });
}

void tx_start(benchmark::State& state, Link link) {
    on_open_session(
        state, link, [](DevContext* dev) { return TxStart(dev, 0, 0, 0, "1", "54M", "A", 30, 30, 0, 0); },
        [](DevContext* dev) { TxStop(dev); });
}

void rx_query(benchmark::State& state, Link link) {
    SharedBoard& board = shared_board(Writes::nagle);
    std::unique_ptr<LibrarySession> session = open_session(link, board);
    DevContext* dev = &session->dev();
    if (!session->is_open() || EnterMP(dev) != MPDLL_OK || RxStart(dev, 0, 0, "1", "A") != MPDLL_OK) {
        state.SkipWithError("open, EnterMP or RxStart failed");
        return;
    }
    OperationSamples samples;
    std::int32_t rxOk = 0, crcError = 0;
    for (auto _ : state) {
        if (!timed_operation(samples, [&] { return RxQuery(dev, &rxOk, &crcError); })) {
            state.SkipWithError("RxQuery failed");
            break;
        }
    }
    RxStop(dev);
    samples.publish(state);
}

void flash_get(benchmark::State& state, Link link) {
    static char value[16384];
    on_open_session(state, link, [](DevContext* dev) { return FlashGet(dev, "TXPWR_CCK_A", value); });
}

void flash_set(benchmark::State& state, Link link) {
    on_open_session(state, link, [](DevContext* dev) { return FlashSet(dev, "XCAP", "32"); });
}

void thermal(benchmark::State& state, Link link) {
    on_open_session(state, link, [](DevContext* dev) {
        std::int32_t value = 0;
        return mp_ther(dev, &value);
    });
}

void add(const char* name, void (*fn)(benchmark::State&, Link), Link link, int iterations) {
    benchmark::RegisterBenchmark(name, fn, link)->UseRealTime()->Iterations(iterations)->Unit(benchmark::kMillisecond);
}

}  // namespace

void register_operations() {
    benchmark::RegisterBenchmark("operation/telnet/OpenDev_login", open_with_login)
        ->UseRealTime()
        ->Iterations(5)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("operation/telnet/OpenDev_busybox_telnetd", open_on_busybox_telnetd)
        ->UseRealTime()
        ->Iterations(10)
        ->Unit(benchmark::kMillisecond);
    add("operation/telnet/EnterMP", enter_mp, Link::telnet, 10);
    add("operation/telnet/TxStart", tx_start, Link::telnet, 10);
    add("operation/telnet/RxQuery", rx_query, Link::telnet, 50);
    add("operation/telnet/FlashGet", flash_get, Link::telnet, 20);
    add("operation/telnet/FlashSet", flash_set, Link::telnet, 5);
    add("operation/telnet/mp_ther", thermal, Link::telnet, 3);
    add("operation/serial/EnterMP", enter_mp, Link::serial, 3);
    add("operation/serial/TxStart", tx_start, Link::serial, 3);
    add("operation/serial/RxQuery", rx_query, Link::serial, 10);
    add("operation/serial/FlashGet", flash_get, Link::serial, 5);
    add("operation/serial/FlashSet", flash_set, Link::serial, 3);
    add("operation/serial/mp_ther", thermal, Link::serial, 3);
}

}  // namespace mpbench
