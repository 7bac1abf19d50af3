// The replayed board's endpoints and their threads.
#include "replay_board.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <list>
#include <map>
#include <mutex>
#include <thread>

#include "channel.h"
#include "endpoints.h"
#include "replay_play.h"
#include "replay_session.h"
#include "stop_signal.h"
#include "transcript.h"
#include "udp_endpoint.h"

namespace mpboard {

struct ReplayBoard::Impl {
    Impl(ReplayScript s, const Options& o, double sp)
        : script(std::move(s)), opts(o), speed(sp), transcript(opts.log_file) {}

    void accept_loop();
    void serve_datagrams();
    void serve(Channel& channel) { ReplaySession(script, channel, speed, *stop_signal).run(); }
    void reap_connections(bool all);

    const ReplayScript script;
    const Options opts;
    const double speed;
    Transcript transcript;
    std::unique_ptr<StopSignal> stop_signal;
    int listen_fd = -1, udp_fd = -1;
    int telnet_port = -1, udp_port = -1;
    ConsoleTerminal console;
    std::thread acceptor, udp_thread, console_thread;
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };
    std::list<Connection> connections;  // only the acceptor and stop() touch it
    bool running = false;
};

void ReplayBoard::Impl::reap_connections(bool all) {
    for (auto it = connections.begin(); it != connections.end();) {
        if (all || it->done->load()) {
            it->thread.join();
            it = connections.erase(it);
        } else {
            ++it;
        }
    }
}

void ReplayBoard::Impl::accept_loop() {
    for (int number = 1; !stop_signal->requested();) {
        pollfd fds[2] = {{listen_fd, POLLIN, 0}, {stop_signal->fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || stop_signal->requested()) continue;
        const int fd = ::accept4(listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0) continue;
        reap_connections(false);
        auto done = std::make_shared<std::atomic<bool>>(false);
        const std::string name = "telnet#" + std::to_string(number++);
        connections.push_back({std::thread([this, fd, name, done] {
                                   Channel channel(fd, Channel::Kind::socket, name, *stop_signal, transcript);
                                   serve(channel);
                                   done->store(true);
                               }),
                               done});
    }
}

// One datagram per line; each recorded reply datagram at its delay.
void ReplayBoard::Impl::serve_datagrams() {
    std::map<std::string, std::size_t> times_seen;
    while (!stop_signal->requested()) {
        pollfd fds[2] = {{udp_fd, POLLIN, 0}, {stop_signal->fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || stop_signal->requested()) continue;
        char buffer[65536];
        sockaddr_in peer{};
        socklen_t peer_size = sizeof peer;
        const ssize_t n =
            ::recvfrom(udp_fd, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&peer), &peer_size);
        if (n < 0) continue;
        const std::string name = "udp " + std::to_string(ntohs(peer.sin_port));
        transcript.received(name, std::string_view(buffer, static_cast<std::size_t>(n)));
        const std::string line = datagram_line(std::string_view(buffer, static_cast<std::size_t>(n)));
        const auto reply = [&](const std::string& bytes) {
            transcript.sent(name, bytes);
            ::sendto(udp_fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&peer), peer_size);
            return true;
        };
        const ReplayAnswer* recorded = script.answer(line, times_seen[line]++);
        if (!recorded)
            reply(ReplayScript::not_found_reply(line));
        else if (!play_answer(*recorded, speed, *stop_signal, reply))
            return;
    }
}

ReplayBoard::ReplayBoard(ReplayScript script, const Options& endpoints, double speed)
    : impl_(std::make_unique<Impl>(std::move(script), endpoints, speed)) {}

ReplayBoard::~ReplayBoard() { stop(); }

void ReplayBoard::start() {
    Impl& b = *impl_;
    if (b.running) return;
    b.stop_signal = std::make_unique<StopSignal>();
    b.running = true;
    try {
        if (b.opts.telnet_port >= 0) {
            b.listen_fd = bind_socket(SOCK_STREAM, b.opts.listen_address, b.opts.telnet_port);
            b.telnet_port = bound_port(b.listen_fd);
        }
        if (b.opts.udp_port >= 0) {
            b.udp_fd = bind_socket(SOCK_DGRAM, b.opts.udp_address, b.opts.udp_port);
            b.udp_port = bound_port(b.udp_fd);
        }
        if (b.opts.serial) b.console = open_console_terminal(b.opts.serial_link);
    } catch (...) {
        stop();
        throw;
    }
    if (b.listen_fd >= 0) b.acceptor = std::thread(&Impl::accept_loop, &b);
    if (b.udp_fd >= 0) b.udp_thread = std::thread(&Impl::serve_datagrams, &b);
    if (b.console.fd >= 0) {
        const int fd = std::exchange(b.console.fd, -1);  // the console's channel owns it
        b.console_thread = std::thread([&b, fd] {
            Channel channel(fd, Channel::Kind::terminal, "serial", *b.stop_signal, b.transcript);
            b.serve(channel);
        });
    }
}

void ReplayBoard::stop() {
    Impl& b = *impl_;
    if (!b.running) return;
    b.running = false;
    b.stop_signal->request();
    for (std::thread* t : {&b.acceptor, &b.udp_thread, &b.console_thread})
        if (t->joinable()) t->join();
    b.reap_connections(true);
    for (int* fd : {&b.listen_fd, &b.udp_fd, &b.console.fd, &b.console.peer_fd}) {
        if (*fd >= 0) ::close(*fd);
        *fd = -1;
    }
    if (!b.opts.serial_link.empty() && !b.console.path.empty()) ::unlink(b.opts.serial_link.c_str());
}

int ReplayBoard::telnet_port() const { return impl_->telnet_port; }
int ReplayBoard::udp_port() const { return impl_->udp_port; }
std::string ReplayBoard::serial_path() const { return impl_->console.path; }

}  // namespace mpboard
