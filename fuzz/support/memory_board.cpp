// The in-memory board's socket and serial tables: plain functions over one
// process-wide state, since the platform tables hold function pointers.
#include "support/memory_board.h"

#include <algorithm>
#include <cstring>
#include <deque>

#include "platform/platform.h"

namespace mpdll::fuzzing {
namespace {

constexpr MpSocket kTelnetSocket = 41;
constexpr MpSocket kUdpSocket = 42;
constexpr int kConnectionReset = 104;

struct BoardState {
    BoardScript script;
    std::size_t nextAnswer = 0;
    std::string partialLine;
    // Telnet and serial bytes waiting to be read, as the board wrote them: a
    // read never joins two writes, so the prompt always arrives in a read of
    // its own and a NUL in the answer cannot hide it.
    std::deque<std::string> writes;
    std::deque<std::string> datagrams;   // UDP replies waiting to be read
    std::vector<std::string> lines;
};

BoardState& state() {
    static BoardState board;
    return board;
}

std::string next_answer() {
    BoardState& board = state();
    if (board.nextAnswer < board.script.answers.size()) {
        return board.script.answers[board.nextAnswer++];
    }
    return {};
}

// The shell's reply to the bytes of one write: an answer per completed line.
void take_line_bytes(const char* data, int length) {
    BoardState& board = state();
    for (int i = 0; i < length; ++i) {
        if (data[i] != '\r') {
            board.partialLine.push_back(data[i]);
            continue;
        }
        std::string answer;
        if (!board.partialLine.empty()) {
            board.lines.push_back(board.partialLine);
            if (board.script.echo) {
                answer += board.partialLine;
            }
            answer += "\r\n";
            answer += next_answer();
        } else {
            answer += "\r\n";
        }
        board.writes.push_back(std::move(answer));
        board.writes.emplace_back(kBoardPrompt);
        board.partialLine.clear();
    }
}

std::size_t readable_bytes() {
    const BoardState& board = state();
    if (board.writes.empty()) {
        return 0;
    }
    return std::min(board.writes.front().size(), static_cast<std::size_t>(board.script.chunkSize));
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

MpSocket open_tcp() { return kTelnetSocket; }
MpSocket open_udp() { return kUdpSocket; }
bool is_valid(MpSocket s) { return s >= 0; }
void close_socket(MpSocket) {}
bool set_timeouts(MpSocket, int, int) { return true; }
bool set_nonblocking(MpSocket, bool) { return true; }
void start_connect(MpSocket, const MpSockAddrIn&) {}
platform::Wait wait_writable(MpSocket, int) { return platform::Wait::ready; }

platform::Wait wait_readable(MpSocket s, int) {
    const BoardState& board = state();
    const bool ready = s == kUdpSocket ? !board.datagrams.empty() : !board.writes.empty();
    return ready ? platform::Wait::ready : platform::Wait::timeout;
}

int pending(MpSocket s) {
    const BoardState& board = state();
    if (s == kUdpSocket) {
        return board.datagrams.empty() ? 0 : static_cast<int>(board.datagrams.front().size());
    }
    return static_cast<int>(readable_bytes());
}

int send(MpSocket, const char* data, int length) {
    take_line_bytes(data, length);
    return length;
}

int recv(MpSocket, char* data, int capacity) {
    if (state().writes.empty()) {
        return -1;  // the library only reads after a ready wait
    }
    return hand_out(data, capacity);
}

int send_to(MpSocket, const char* data, int length, const MpSockAddrIn&) {
    BoardState& board = state();
    board.lines.emplace_back(data, static_cast<std::size_t>(length));
    if (board.nextAnswer < board.script.answers.size()) {
        board.datagrams.push_back(next_answer());
    }
    return length;
}

int recv_from(MpSocket, char* data, int capacity, MpSockAddrIn* from) {
    BoardState& board = state();
    if (board.datagrams.empty()) {
        return -1;
    }
    const std::string datagram = board.datagrams.front();
    board.datagrams.pop_front();
    const std::size_t n = std::min(datagram.size(), static_cast<std::size_t>(std::max(capacity, 0)));
    std::memcpy(data, datagram.data(), n);
    if (from != nullptr) {
        *from = MpSockAddrIn{2, 0, 0, {}};
    }
    return static_cast<int>(n);
}

int last_error() { return kConnectionReset; }
void acknowledge_now(MpSocket) {}

const platform::SocketOps kSocketOps{open_tcp,      open_udp,      is_valid,      close_socket,
                                     set_timeouts,  set_nonblocking, start_connect, wait_writable,
                                     wait_readable, pending,       send,          recv,
                                     send_to,       recv_from,     last_error,    acknowledge_now};

const MpHandle kSerialHandle = reinterpret_cast<MpHandle>(static_cast<std::intptr_t>(0x5e1a1));

MpHandle serial_open(const char*) { return kSerialHandle; }
bool serial_queue_sizes(MpHandle, std::uint32_t, std::uint32_t) { return true; }
bool serial_timeouts(MpHandle, const MpCommTimeouts&) { return true; }
bool serial_line(MpHandle, const MpDcb&) { return true; }

bool serial_purge(MpHandle, unsigned mask) {
    if ((mask & (platform::kPurgeRxAbort | platform::kPurgeRxClear)) != 0) {
        state().writes.clear();
    }
    return true;
}

bool serial_status(MpHandle, std::uint32_t* inQueue, std::uint32_t* outQueue) {
    if (inQueue != nullptr) {
        *inQueue = static_cast<std::uint32_t>(pending(kTelnetSocket));
    }
    if (outQueue != nullptr) {
        *outQueue = 0;
    }
    return true;
}

void serial_wait_input(MpHandle, int) {}
int serial_read(MpHandle, char* data, int capacity, int /*withinMs*/) { return hand_out(data, capacity); }

int serial_write(MpHandle, const char* data, int length) {
    take_line_bytes(data, length);
    return length;
}

void serial_close(MpHandle) {}

const platform::SerialOps kSerialOps{serial_open,   serial_queue_sizes, serial_timeouts,   serial_line,
                                     serial_purge,  serial_status,      serial_wait_input, serial_read,
                                     serial_write,  serial_close};

}  // namespace

MemoryBoard::MemoryBoard() {
    platform::use_socket_ops(&kSocketOps);
    platform::use_serial_ops(&kSerialOps);
}

MemoryBoard::~MemoryBoard() {
    platform::use_socket_ops(nullptr);
    platform::use_serial_ops(nullptr);
}

void MemoryBoard::reset(BoardScript script) {
    script.chunkSize = std::max(script.chunkSize, 1);
    state() = BoardState{};
    state().script = std::move(script);
}

void MemoryBoard::connect(DevContext& dev, int mode) {
    dev.mode = mode;
    dev.openFlags = static_cast<std::uint32_t>(mode);
    dev.telnetSocket = kTelnetSocket;
    dev.udpSocket = kUdpSocket;
    dev.udpAuxSocket = kUdpSocket;
    dev.serialHandle = kSerialHandle;
    std::memset(dev.prompt, 0, sizeof dev.prompt);
    std::memcpy(dev.prompt, kBoardPrompt, std::strlen(kBoardPrompt));
}

const std::vector<std::string>& MemoryBoard::received_lines() const { return state().lines; }

}  // namespace mpdll::fuzzing
