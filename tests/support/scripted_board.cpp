// The in-process fake board (see scripted_board.h).
#include "support/scripted_board.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace mpdll::test {
namespace {

constexpr MpSocket kTelnetSocket = 1001;
constexpr MpSocket kUdpSocket = 1002;
constexpr MpSocket kUdpAuxSocket = 1003;
constexpr int kFakeErrorNumber = 10054;

ScriptedBoard* active = nullptr;

platform::Wait wait_readable(MpSocket s, int timeoutMs) {
    if (active && active->has_output(s)) return platform::Wait::ready;
    // Nothing more will come: let a caller that waits for the prompt or a
    // reply see time pass without spinning hard.
    platform::sleep_ms(std::min(timeoutMs, 10));
    return platform::Wait::timeout;
}

const platform::SocketOps kScriptedSockets{
    .open_tcp = [] { return kTelnetSocket; },
    .open_udp = [] { return kUdpSocket; },
    .is_valid = [](MpSocket s) { return s == kTelnetSocket || s == kUdpSocket || s == kUdpAuxSocket; },
    .close = [](MpSocket) {},
    .set_timeouts = [](MpSocket, int, int) { return true; },
    .set_nonblocking = [](MpSocket, bool) { return true; },
    .start_connect = [](MpSocket, const MpSockAddrIn&) {},
    .wait_writable = [](MpSocket, int) { return platform::Wait::ready; },
    .wait_readable = wait_readable,
    .pending = [](MpSocket s) { return active && active->has_output(s) ? 1 : 0; },
    .send =
        [](MpSocket, const char* data, int length) {
            if (active) active->receive_bytes(data, length);
            return length;
        },
    .recv = [](MpSocket s, char* data, int capacity) { return active ? active->take_output(s, data, capacity) : -1; },
    .send_to =
        [](MpSocket, const char* data, int length, const MpSockAddrIn&) {
            if (active) active->receive_datagram(data, length);
            return length;
        },
    .recv_from =
        [](MpSocket s, char* data, int capacity, MpSockAddrIn* from) {
            if (from) *from = active ? active->dev().udpPeer : MpSockAddrIn{};
            return active ? active->take_output(s, data, capacity) : -1;
        },
    .last_error = [] { return kFakeErrorNumber; },
    .acknowledge_now = [](MpSocket) {},
};

}  // namespace

ScriptedBoard::ScriptedBoard(int mode, std::string prompt)
    : prompt_(std::move(prompt)), responder_([](std::string_view) { return std::string(); }) {
    dev_.mode = mode;
    dev_.openFlags = static_cast<std::uint32_t>(mode);
    dev_.telnetSocket = kTelnetSocket;
    dev_.udpSocket = kUdpSocket;
    dev_.udpAuxSocket = kUdpAuxSocket;
    dev_.udpPeer.family = 2;  // IPv4
    dev_.cmdTimeout = 5000;
    std::strncpy(dev_.prompt, prompt_.c_str(), sizeof dev_.prompt - 1);
    active = this;
    platform::use_socket_ops(&kScriptedSockets);
}

ScriptedBoard::~ScriptedBoard() {
    platform::use_socket_ops(nullptr);
    active = nullptr;
}

DevContext& ScriptedBoard::dev() { return dev_; }

void ScriptedBoard::respond(std::function<std::string(std::string_view line)> responder) {
    responder_ = std::move(responder);
}

std::vector<std::string> ScriptedBoard::sent() const { return sent_; }

void ScriptedBoard::receive_bytes(const char* data, int length) {
    for (int i = 0; i < length; ++i) {
        const char c = data[i];
        const bool lineEnd = c == '\r' || c == '\n';
        if (c == '\n' && lastWasCr_) {  // CR LF ends one line
            lastWasCr_ = false;
            continue;
        }
        lastWasCr_ = c == '\r';
        if (!lineEnd) {
            partialLine_.push_back(c);
            continue;
        }
        sent_.push_back(partialLine_);
        telnetOutput_ += partialLine_ + "\r\n" + responder_(partialLine_) + prompt_;
        partialLine_.clear();
    }
}

void ScriptedBoard::receive_datagram(const char* data, int length) {
    sent_.emplace_back(data, static_cast<std::size_t>(length));
    std::string reply = responder_(sent_.back());
    if (!reply.empty()) datagrams_.push_back(std::move(reply));
}

bool ScriptedBoard::has_output(MpSocket s) const {
    return s == kTelnetSocket ? !telnetOutput_.empty() : !datagrams_.empty();
}

int ScriptedBoard::take_output(MpSocket s, char* data, int capacity) {
    if (capacity <= 0 || !has_output(s)) return -1;
    std::string& source = s == kTelnetSocket ? telnetOutput_ : datagrams_.front();
    const int taken = std::min(capacity, static_cast<int>(source.size()));
    std::memcpy(data, source.data(), static_cast<std::size_t>(taken));
    if (s == kTelnetSocket) {
        source.erase(0, static_cast<std::size_t>(taken));
    } else {
        datagrams_.pop_front();  // the rest of a datagram too long for the buffer is lost
    }
    return taken;
}

}  // namespace mpdll::test
