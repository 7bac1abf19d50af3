// Telnet transport: TelnetSnd sends one line, TelnetRcv collects the board's
// output until the prompt ends what it sent or the 5-6 s window ends, and
// what already waits is dropped before a line goes out.
#include "connection/telnet/telnet_transport.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>

#include "connection/last_exchange.h"
#include "connection/session_log.h"
#include "connection/session_state.h"
#include "connection/telnet/telnet_read.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll {
namespace {

constexpr std::size_t kLongestLine = kResponseSize - 2;  // the line, its CR and a terminator
// Room for the replies to the options of one read; a flood of options
// beyond it goes unanswered.
constexpr std::size_t kReplyRoom = 3072;
constexpr char kIacChar = static_cast<char>(telnet::kIac);

}  // namespace

std::int32_t socket_error() noexcept {
    const int error = platform::sockets().last_error();
    return error > 0 ? error : MPDLL_E_TRANSPORT;
}

std::int32_t telnet_send_bytes(MpSocket socket, std::string_view bytes) noexcept {
    while (!bytes.empty()) {
        const int length = static_cast<int>(std::min<std::size_t>(bytes.size(), INT_MAX));
        const int sent = platform::sockets().send(socket, bytes.data(), length);
        if (sent < 0) return socket_error();
        session_log::sent(bytes.substr(0, static_cast<std::size_t>(sent)));
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return MPDLL_OK;
}

std::int32_t telnet_send_line(const DevContext& dev, std::string_view data, bool record) noexcept {
    if (data.size() > kLongestLine) return MPDLL_E_ARGUMENT;
    if (record) {
        std::array<char, kCommandSize> sent;  // only the line and its CR are read
        const std::size_t shown = std::min(data.size(), sent.size() - 2);
        std::memcpy(sent.data(), data.data(), shown);
        sent[shown] = '\r';
        last_exchange::record_sent(std::string_view(sent.data(), shown + 1));
    }
    // The line goes out in pieces of a staging area, each 0xFF doubled; a
    // short line without one goes out whole.
    std::array<char, 4096> staged;
    if (data.size() < staged.size() && data.find(kIacChar) == std::string_view::npos) {
        std::copy(data.begin(), data.end(), staged.begin());
        staged[data.size()] = '\r';
        return telnet_send_bytes(dev.telnetSocket, std::string_view(staged.data(), data.size() + 1));
    }
    std::size_t length = 0;
    for (std::size_t at = 0; at <= data.size(); ++at) {
        const char c = at < data.size() ? data[at] : '\r';
        staged[length++] = c;
        if (c == kIacChar) staged[length++] = kIacChar;
        if (length + 2 > staged.size() || at == data.size()) {
            const std::int32_t status = telnet_send_bytes(dev.telnetSocket, std::string_view(staged.data(), length));
            if (status != MPDLL_OK) return status;
            length = 0;
        }
    }
    return MPDLL_OK;
}

std::int32_t telnet_send_command(const DevContext& dev, std::string_view line, const CallTrace& trace) noexcept {
    const std::int32_t status = telnet_send_line(dev, line, true);
    if (status == MPDLL_E_ARGUMENT) return trace.fail("send", status, "the line is longer than 16382 bytes");
    if (status != MPDLL_OK) return trace.fail("send", status, "the socket send failed", std::max(status, 0));
    return MPDLL_OK;
}

TelnetData read_telnet_data(const DevContext& dev, telnet::Stream& stream, std::span<char> area, bool settleFirst,
                            const ReceiveWindow& window) noexcept {
    const TelnetChunk got = read_telnet_chunk(dev.telnetSocket, area, settleFirst, window);
    switch (got.kind) {
        case TelnetChunk::Kind::nothing:
            return {};
        case TelnetChunk::Kind::closed:
            return {TelnetData::Kind::closed};
        case TelnetChunk::Kind::waitFailed:
            return {TelnetData::Kind::waitFailed};
        case TelnetChunk::Kind::readFailed:
            return {TelnetData::Kind::readFailed};
        case TelnetChunk::Kind::data:
            break;
    }
    std::array<char, kReplyRoom> reply;
    const telnet::Stream::Taken taken = stream.take(std::string_view(area.data(), got.length), area, reply);
    if (taken.replyLength > 0 &&
        telnet_send_bytes(dev.telnetSocket, std::string_view(reply.data(), taken.replyLength)) != MPDLL_OK)
        return {TelnetData::Kind::replyFailed, {}, got.length};
    return {TelnetData::Kind::data, std::string_view(area.data(), taken.dataLength), got.length};
}

std::int32_t telnet_receive(const DevContext& dev, telnet::Stream& stream, AnswerFramer& framer, bool quiet,
                            const PromptSettle& settle, long long& received, const CallTrace& trace) noexcept {
    char chunk[telnet::Stream::kLongestChunk];  // only the bytes of each read are ever read
    const ReceiveWindow window;
    std::uint64_t lastDataMs = platform::monotonic_ms();
    do {
        const TelnetData got = read_telnet_data(dev, stream, std::span<char>(chunk, sizeof chunk), quiet, window);
        received += static_cast<long long>(got.received);
        switch (got.kind) {
            case TelnetData::Kind::waitFailed:
                return trace.fail("receive", MPDLL_E_TRANSPORT, "waiting for the socket failed",
                                  platform::sockets().last_error());
            case TelnetData::Kind::readFailed:
            case TelnetData::Kind::replyFailed: {
                const std::int32_t status = socket_error();
                return trace.fail("receive", status,
                                  got.kind == TelnetData::Kind::readFailed ? "the socket read failed"
                                                                           : "the reply to an option could not be sent",
                                  std::max(status, 0));
            }
            case TelnetData::Kind::data:
                if (!got.text.empty()) lastDataMs = platform::monotonic_ms();
                // A read of options alone frames nothing: with the quiet
                // wait the burst was only them, and the receive goes on.
                framer.add(got.text);
                break;
            case TelnetData::Kind::closed:
                // A closed connection stays readable with nothing to read:
                // pace the loop as if waiting, until the window ends.
                platform::sleep_ms(kPollIntervalMs);
                break;
            case TelnetData::Kind::nothing:
                break;
        }
        if (settle.over(framer, lastDataMs)) return MPDLL_OK;
        if (framer.only_echo_missing() && platform::monotonic_ms() - lastDataMs >= kIdlePromptMs) {
            framer.take_idle_prompt();
            return MPDLL_OK;
        }
    } while (window.open());
    if (framer.idle_at_prompt_owing() && platform::monotonic_ms() - lastDataMs >= kIdlePromptMs)
        framer.take_idle_prompt();
    return MPDLL_OK;
}

void discard_telnet_input(const DevContext& dev, telnet::Stream& stream, DroppedInput& dropped,
                          std::span<char> scratch) noexcept {
    const ReceiveWindow window;
    for (int reads = 0;
         reads < kMostStaleReads && platform::sockets().wait_readable(dev.telnetSocket, 0) == platform::Wait::ready;
         ++reads) {
        const TelnetData got = read_telnet_data(dev, stream, scratch, false, window);
        if (got.kind != TelnetData::Kind::data) break;
        dropped.add(got.text);
    }
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL TelnetSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT {
    if (!dev || !data || length < 0) return MPDLL_E_ARGUMENT;
    return mpdll::traced_call(dev, "TelnetSnd", [&](const mpdll::CallTrace& trace) {
        return mpdll::telnet_send_command(*dev, std::string_view(data, static_cast<std::size_t>(length)), trace);
    });
}

static int32_t telnet_rcv(DevContext* dev, char* buffer, int32_t bufferSize, int32_t* receivedLength, int32_t wait,
                          const mpdll::CallTrace& trace) noexcept {
    using namespace mpdll;
    if (!dev || !buffer || !receivedLength || bufferSize < 1)
        return trace.fail("arguments", MPDLL_E_ARGUMENT,
                          "dev, buffer or receivedLength is missing, or bufferSize is below 1");
    std::memset(buffer, 0, static_cast<std::size_t>(bufferSize));
    const bool quiet = wait == MPDLL_WAIT_QUIET;
    SessionState state = session::load(*dev);
    AnswerFramer framer(FramingRules{{}, field_text(dev->prompt), false, 0, quiet});
    long long received = 0;
    const std::int32_t status = telnet_receive(*dev, state.stream, framer, quiet, PromptSettle{}, received, trace);
    session::store(*dev, state);
    if (status != MPDLL_OK) return status;
    copy_text(std::span<char>(buffer, static_cast<std::size_t>(bufferSize)), framer.text());
    last_exchange::record_received(framer.text());
    *receivedLength = static_cast<int32_t>(std::min<long long>(received, INT32_MAX));
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL TelnetRcv(DevContext* dev, char* buffer, int32_t bufferSize, int32_t* receivedLength,
                                       int32_t wait) MPDLL_NOEXCEPT {
    return mpdll::traced_call(dev, "TelnetRcv", [&](const mpdll::CallTrace& trace) {
        return telnet_rcv(dev, buffer, bufferSize, receivedLength, wait, trace);
    });
}
