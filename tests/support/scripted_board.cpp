// The fake board's socket and serial tables (see scripted_board.h): plain
// functions over one process-wide state, since the platform tables hold
// function pointers.
#include "support/scripted_board.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <deque>

#include "platform/platform.h"

namespace mpdll::test {
namespace {

constexpr MpSocket kTelnetSocket = 1001;
constexpr MpSocket kUdpSocket = 1002;
constexpr MpSocket kUdpAuxSocket = 1003;
constexpr int kConnectionReset = 10054;
constexpr int kWholeAnswer = 16384;
const MpHandle kSerialHandle = reinterpret_cast<MpHandle>(static_cast<std::intptr_t>(0x5e1a1));
constexpr MpSockAddrIn kBoardAddress{2 /*IPv4*/, 0, 0, {}};

struct BoardState {
    ScriptedBoard::Responder responder;
    std::string prompt = kBoardPrompt;
    bool echo = true;
    int chunkSize = kWholeAnswer;
    std::string partialLine;
    bool iacPending = false;  // telnet: the last byte taken was an IAC
    // Telnet and serial bytes waiting to be read, as the board wrote them.
    std::deque<std::string> writes;
    std::deque<std::string> datagrams;  // UDP replies waiting to be read
    std::vector<std::string> lines;
};

BoardState& state() {
    static BoardState board;
    return board;
}

constexpr char kIac = static_cast<char>(0xff);

// What a telnet server sends for output: each 0xFF data byte doubled.
std::string telnet_escaped(std::string text) {
    for (std::size_t at = text.find(kIac); at != std::string::npos; at = text.find(kIac, at + 2))
        text.insert(at, 1, kIac);
    return text;
}

// The shell's reply to the bytes of one write: an answer per completed line.
// Over telnet a doubled 0xFF is one data byte, and 0xFF bytes in the answer
// go out doubled.
void take_line_bytes(const char* data, int length, bool telnet) {
    BoardState& board = state();
    for (int i = 0; i < length; ++i) {
        if (telnet && data[i] == kIac && !board.iacPending) {
            board.iacPending = true;
            continue;
        }
        board.iacPending = false;
        if (data[i] != '\r') {
            board.partialLine.push_back(data[i]);
            continue;
        }
        std::string answer;
        if (!board.partialLine.empty()) {
            board.lines.push_back(board.partialLine);
            if (board.echo) {
                answer += board.partialLine;
            }
            answer += "\r\n";
            answer += board.responder(board.partialLine).value_or("");
        } else {
            answer += "\r\n";
        }
        board.writes.push_back(telnet ? telnet_escaped(std::move(answer)) : std::move(answer));
        board.writes.push_back(board.prompt);
        board.partialLine.clear();
    }
}

std::size_t readable_bytes() {
    const BoardState& board = state();
    if (board.writes.empty()) {
        return 0;
    }
    return std::min(board.writes.front().size(), static_cast<std::size_t>(board.chunkSize));
}

int hand_out(char* data, int capacity) {
    BoardState& board = state();
    if (board.writes.empty()) {
        return 0;
    }
    std::string& front = board.writes.front();
    const std::size_t n = std::min(readable_bytes(), static_cast<std::size_t>(std::max(capacity, 0)));
    std::memcpy(data, front.data(), n);
    front.erase(0, n);
    if (front.empty()) {
        board.writes.pop_front();
    }
    return static_cast<int>(n);
}

bool has_output(MpSocket s) { return s == kTelnetSocket ? !state().writes.empty() : !state().datagrams.empty(); }

platform::Wait wait_readable(MpSocket s, int timeoutMs) {
    if (has_output(s)) return platform::Wait::ready;
    // Nothing more will come: let a caller that waits for the prompt or a
    // reply see time pass without spinning hard.
    platform::sleep_ms(std::min(timeoutMs, 10));
    return platform::Wait::timeout;
}

int pending(MpSocket s) {
    const BoardState& board = state();
    if (s != kTelnetSocket) {
        return board.datagrams.empty() ? 0 : static_cast<int>(board.datagrams.front().size());
    }
    return static_cast<int>(readable_bytes());
}

int send_to(MpSocket, const char* data, int length, const MpSockAddrIn&) {
    BoardState& board = state();
    board.lines.emplace_back(data, static_cast<std::size_t>(length));
    if (std::optional<std::string> reply = board.responder(board.lines.back())) {
        board.datagrams.push_back(std::move(*reply));
    }
    return length;
}

int recv_from(MpSocket, char* data, int capacity, MpSockAddrIn* from) {
    BoardState& board = state();
    if (board.datagrams.empty()) {
        return -1;
    }
    const std::string datagram = std::move(board.datagrams.front());
    board.datagrams.pop_front();  // the rest of a datagram too long for the buffer is lost
    const std::size_t n = std::min(datagram.size(), static_cast<std::size_t>(std::max(capacity, 0)));
    std::memcpy(data, datagram.data(), n);
    if (from != nullptr) {
        *from = kBoardAddress;
    }
    return static_cast<int>(n);
}

const platform::SocketOps kSocketOps{
    .open_tcp = [] { return kTelnetSocket; },
    .open_udp = [] { return kUdpSocket; },
    .is_valid = [](MpSocket s) { return s == kTelnetSocket || s == kUdpSocket || s == kUdpAuxSocket; },
    .close = [](MpSocket) {},
    .set_timeouts = [](MpSocket, int, int) { return true; },
    .set_nonblocking = [](MpSocket, bool) { return true; },
    .start_connect = [](MpSocket, const MpSockAddrIn&) {},
    .wait_writable = [](MpSocket, int) { return platform::Wait::ready; },
    .wait_readable = wait_readable,
    .pending = pending,
    .send =
        [](MpSocket, const char* data, int length) {
            take_line_bytes(data, length, true);
            return length;
        },
    // The library only reads after a ready wait.
    .recv = [](MpSocket, char* data, int capacity) { return state().writes.empty() ? -1 : hand_out(data, capacity); },
    .send_to = send_to,
    .recv_from = recv_from,
    .last_error = [] { return kConnectionReset; },
    .acknowledge_now = [](MpSocket) {},
};

const platform::SerialOps kSerialOps{
    .open = [](const char*) { return kSerialHandle; },
    .set_queue_sizes = [](MpHandle, std::uint32_t, std::uint32_t) { return true; },
    .set_timeouts = [](MpHandle, const MpCommTimeouts&) { return true; },
    .set_line = [](MpHandle, const MpDcb&) { return true; },
    .purge =
        [](MpHandle, unsigned mask) {
            if ((mask & (platform::kPurgeRxAbort | platform::kPurgeRxClear)) != 0) {
                state().writes.clear();
            }
            return true;
        },
    .status =
        [](MpHandle, std::uint32_t* inQueue, std::uint32_t* outQueue) {
            if (inQueue != nullptr) {
                *inQueue = static_cast<std::uint32_t>(readable_bytes());
            }
            if (outQueue != nullptr) {
                *outQueue = 0;
            }
            return true;
        },
    .wait_input = [](MpHandle, int) {},
    .read = [](MpHandle, char* data, int capacity, int /*withinMs*/) { return hand_out(data, capacity); },
    .write =
        [](MpHandle, const char* data, int length) {
            take_line_bytes(data, length, false);
            return length;
        },
    .close = [](MpHandle) {},
    .last_error = [] { return 0; },
};

}  // namespace

ScriptedBoard::ScriptedBoard(int mode, std::string prompt)
    : prompt_(std::move(prompt)), swappedOps_(kSocketOps, kSerialOps) {
    state() = BoardState{};
    state().prompt = prompt_;
    respond([](std::string_view) { return std::nullopt; });
    connect(dev_, mode);
}

ScriptedBoard::~ScriptedBoard() { state() = BoardState{}; }

DevContext& ScriptedBoard::dev() { return dev_; }

void ScriptedBoard::connect(DevContext& dev, int mode) const {
    dev.mode = mode;
    dev.openFlags = static_cast<std::uint32_t>(mode);
    dev.telnetSocket = kTelnetSocket;
    dev.udpSocket = kUdpSocket;
    dev.udpAuxSocket = kUdpAuxSocket;
    dev.udpPeer = kBoardAddress;
    dev.serialHandle = kSerialHandle;
    dev.cmdTimeout = 5000;
    std::memset(dev.prompt, 0, sizeof dev.prompt);
    std::memcpy(dev.prompt, prompt_.data(), std::min(prompt_.size(), sizeof dev.prompt - 1));
}

void ScriptedBoard::respond(Responder responder) { state().responder = std::move(responder); }

void ScriptedBoard::answer_in_turn(std::vector<std::string> answers) {
    respond([answers = std::move(answers), next = std::size_t{0}](std::string_view) mutable {
        return next < answers.size() ? std::optional<std::string>(answers[next++]) : std::nullopt;
    });
}

void ScriptedBoard::set_echo(bool echo) { state().echo = echo; }

void ScriptedBoard::set_chunk_size(int bytes) { state().chunkSize = std::max(bytes, 1); }

void ScriptedBoard::forget() {
    BoardState& board = state();
    board.partialLine.clear();
    board.writes.clear();
    board.datagrams.clear();
    board.lines.clear();
}

std::vector<std::string> ScriptedBoard::sent() const { return state().lines; }

}  // namespace mpdll::test
