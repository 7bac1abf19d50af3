// UDP command endpoint of the simulated board.
#include "udp_endpoint.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace mpboard {

std::string datagram_line(std::string_view datagram) {
    while (!datagram.empty() && (datagram.back() == '\r' || datagram.back() == '\n' || datagram.back() == '\0'))
        datagram.remove_suffix(1);
    return std::string(datagram);
}

UdpEndpoint::UdpEndpoint(int fd, SessionHost& host, Transcript& transcript)
    : fd_(fd), host_(host), transcript_(transcript) {}

UdpEndpoint::~UdpEndpoint() { ::close(fd_); }

std::string UdpEndpoint::reply_to(const std::string& line) {
    if (line == "flash read") return "data:" + kept_output_ + "\a";
    Answer answer = host_.board().run(line);
    if (answer.error) return answer.output;
    if (!answer.output.empty() || answer.udp_data) kept_output_ = answer.udp_data.value_or(answer.output);
    return answer.udp_reply.empty() ? "ok" : answer.udp_reply;
}

void UdpEndpoint::run() {
    const StopSignal& stop = host_.stop();
    while (!stop.requested()) {
        pollfd fds[2] = {{fd_, POLLIN, 0}, {stop.fd(), POLLIN, 0}};
        if (::poll(fds, 2, -1) <= 0 || stop.requested()) continue;
        char buffer[65536];
        sockaddr_in peer{};
        socklen_t peer_size = sizeof peer;
        ssize_t n =
            ::recvfrom(fd_, buffer, sizeof buffer, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&peer), &peer_size);
        if (n < 0) continue;
        std::string_view datagram(buffer, static_cast<std::size_t>(n));
        std::string name = "udp " + std::to_string(ntohs(peer.sin_port));
        transcript_.received(name, datagram);
        std::string line = datagram_line(datagram);
        host_.record_command(line);
        std::string reply = reply_to(line);

        Faults f = host_.faults_for(-1);
        if (f.upper_case_ok && reply == "ok") reply = "OK";
        if (f.udp_drop) {
            transcript_.note(name, "reply dropped");
            continue;
        }
        if (f.udp_delay_ms > 0 && !stop.sleep_ms(f.udp_delay_ms)) return;
        for (int copy = f.udp_duplicate ? 2 : 1; copy > 0; --copy) {
            transcript_.sent(name, reply);
            ::sendto(fd_, reply.data(), reply.size(), 0, reinterpret_cast<sockaddr*>(&peer), peer_size);
        }
    }
}

}  // namespace mpboard
