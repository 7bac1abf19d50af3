// The simulator: binds the telnet listener, the UDP endpoint and the serial
// pseudo-terminal, and runs each on its own thread (one more per telnet
// connection) over one shared board.
#include "simulator.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "board.h"
#include "channel.h"
#include "endpoints.h"
#include "session.h"
#include "session_host.h"
#include "stop_signal.h"
#include "transcript.h"
#include "udp_endpoint.h"

namespace mpboard {

struct Simulator::Impl final : SessionHost {
    explicit Impl(Options o)
        : opts(std::move(o)), board_(opts), transcript(opts.log_file), global_faults(opts.faults) {}

    const Options& options() const override { return opts; }
    Board& board() override { return board_; }
    const StopSignal& stop() const override { return *stop_signal; }

    Faults faults_for(int connection) const override {
        std::lock_guard lock(mutex);
        auto it = connection_faults.find(connection);
        return it == connection_faults.end() ? global_faults : it->second;
    }

    void record_command(const std::string& line) override {
        std::lock_guard lock(mutex);
        received.push_back(line);
    }

    void record_login_answer(const std::string& question, const std::string& answer) override {
        std::lock_guard lock(mutex);
        login_answers.push_back({question, answer});
    }

    void open_console();
    void accept_loop();
    void serve_connection(int fd, int number, std::shared_ptr<std::atomic<bool>> done);
    void reap_sessions(bool all);

    Options opts;
    Board board_;
    Transcript transcript;
    std::unique_ptr<StopSignal> stop_signal;

    mutable std::mutex mutex;  // guards the fault switches, the command list and the login answers
    Faults global_faults;
    std::map<int, Faults> connection_faults;
    std::vector<std::string> received;
    std::vector<LoginAnswer> login_answers;

    int listen_fd = -1, console_fd = -1, console_peer_fd = -1;
    int telnet_port = -1, udp_port = -1;
    std::string console_path;
    std::unique_ptr<UdpEndpoint> udp;
    std::thread acceptor, udp_thread, console_thread;

    struct Worker {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::mutex workers_mutex;
    std::list<Worker> workers;
    int next_connection = 1;
    bool running = false;
    bool console_started = false;  // the console thread owns console_fd once started
};

void Simulator::Impl::open_console() {
    ConsoleTerminal console = open_console_terminal(opts.serial_link);
    console_fd = console.fd;
    console_peer_fd = console.peer_fd;
    console_path = console.path;
}

void Simulator::Impl::serve_connection(int fd, int number, std::shared_ptr<std::atomic<bool>> done) {
    Channel channel(fd, Channel::Kind::socket, "telnet#" + std::to_string(number), *stop_signal, transcript);
    transcript.note(channel.name(), "connected");
    Session(*this, channel, number).run();
    transcript.note(channel.name(), "closed");
    done->store(true);
}

void Simulator::Impl::reap_sessions(bool all) {
    std::lock_guard lock(workers_mutex);
    for (auto it = workers.begin(); it != workers.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = workers.erase(it);
        } else {
            ++it;
        }
    }
}

void Simulator::Impl::accept_loop() {
    while (!stop_signal->requested()) {
        pollfd fds[2] = {{listen_fd, POLLIN, 0}, {stop_signal->fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || stop_signal->requested()) continue;
        int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        if (opts.single_write) {
            int on = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        }
        reap_sessions(false);
        auto done = std::make_shared<std::atomic<bool>>(false);
        std::lock_guard lock(workers_mutex);
        int number = next_connection++;
        workers.push_back({std::thread(&Impl::serve_connection, this, fd, number, done), done});
    }
}

Simulator::Simulator(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { stop(); }

void Simulator::start() {
    Impl& s = *impl_;
    if (s.running) return;
    s.stop_signal = std::make_unique<StopSignal>();
    try {
        if (s.opts.telnet_port >= 0) {
            s.listen_fd = bind_socket(SOCK_STREAM, s.opts.listen_address, s.opts.telnet_port);
            s.telnet_port = bound_port(s.listen_fd);
        }
        if (s.opts.udp_port >= 0) {
            int fd = bind_socket(SOCK_DGRAM, s.opts.udp_address, s.opts.udp_port);
            s.udp_port = bound_port(fd);
            s.udp = std::make_unique<UdpEndpoint>(fd, s, s.transcript);
        }
        if (s.opts.serial) s.open_console();
    } catch (...) {
        s.running = true;
        stop();
        throw;
    }
    s.running = true;
    if (s.listen_fd >= 0) s.acceptor = std::thread(&Impl::accept_loop, &s);
    if (s.udp) s.udp_thread = std::thread(&UdpEndpoint::run, s.udp.get());
    if (s.console_fd >= 0) {
        s.console_started = true;
        s.console_thread = std::thread([&s] {
            Channel channel(s.console_fd, Channel::Kind::terminal, "serial", *s.stop_signal, s.transcript);
            Session(s, channel, 0).run();
        });
    }
}

void Simulator::stop() {
    Impl& s = *impl_;
    if (!s.running) return;
    s.running = false;
    s.stop_signal->request();
    for (std::thread* t : {&s.acceptor, &s.udp_thread, &s.console_thread})
        if (t->joinable()) t->join();
    s.reap_sessions(true);
    s.udp.reset();
    if (s.listen_fd >= 0) ::close(s.listen_fd);
    if (!s.console_started && s.console_fd >= 0) ::close(s.console_fd);
    s.console_started = false;
    if (s.console_peer_fd >= 0) ::close(s.console_peer_fd);
    if (!s.opts.serial_link.empty() && !s.console_path.empty()) ::unlink(s.opts.serial_link.c_str());
    s.listen_fd = s.console_fd = s.console_peer_fd = -1;
}

int Simulator::telnet_port() const { return impl_->telnet_port; }
int Simulator::udp_port() const { return impl_->udp_port; }
std::string Simulator::serial_path() const { return impl_->console_path; }

std::vector<std::string> Simulator::commands() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->received;
}

void Simulator::clear_commands() {
    std::lock_guard lock(impl_->mutex);
    impl_->received.clear();
}

std::vector<LoginAnswer> Simulator::login_answers() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->login_answers;
}

Counters Simulator::counters() const { return impl_->board_.counters(); }
std::string Simulator::flash_value(const std::string& name) const { return impl_->board_.flash_value(name); }
void Simulator::set_flash_value(const std::string& name, const std::string& value) {
    impl_->board_.set_flash_value(name, value);
}
bool Simulator::test_mode() const { return impl_->board_.test_mode(); }

void Simulator::set_faults(const Faults& faults) {
    std::lock_guard lock(impl_->mutex);
    impl_->global_faults = faults;
}

void Simulator::set_connection_faults(int connection, const Faults& faults) {
    std::lock_guard lock(impl_->mutex);
    impl_->connection_faults[connection] = faults;
}

}  // namespace mpboard
