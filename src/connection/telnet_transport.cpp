// Telnet transport: TelnetSnd sends one line, TelnetRcv collects the board's
// output until the prompt shows up or the 5-6 s window ends.
#include "connection/telnet_transport.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "connection/last_exchange.h"
#include "connection/owed_prompts.h"
#include "connection/prompt_collector.h"
#include "connection/receive_window.h"
#include "connection/telnet_read.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace mpdll {
namespace {

constexpr std::size_t kLongestLine = kResponseSize - 2;  // the line, its CR and a terminator

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
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return MPDLL_OK;
}

std::int32_t telnet_send_line(const DevContext& dev, std::string_view data, bool record) noexcept {
    if (data.size() > kLongestLine) return MPDLL_E_ARGUMENT;
    char line[kResponseSize];  // only the line and its CR are ever read
    std::memcpy(line, data.data(), data.size());
    line[data.size()] = '\r';
    const std::string_view whole(line, data.size() + 1);
    if (record) last_exchange::record_sent(whole);
    return telnet_send_bytes(dev.telnetSocket, whole);
}

}  // namespace mpdll

MPDLL_API int32_t MPDLL_CALL TelnetSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT {
    if (!dev || !data || length < 0) return MPDLL_E_ARGUMENT;
    return mpdll::telnet_send_line(*dev, std::string_view(data, static_cast<std::size_t>(length)), true);
}

MPDLL_API int32_t MPDLL_CALL TelnetRcv(DevContext* dev, char* buffer, int32_t bufferSize, int32_t* receivedLength,
                                       int32_t wait) MPDLL_NOEXCEPT {
    using namespace mpdll;
    if (!dev || !buffer || !receivedLength || bufferSize < 1) return MPDLL_E_ARGUMENT;
    char chunk[kResponseSize];  // only the bytes of each receive are ever read
    std::memset(buffer, 0, static_cast<std::size_t>(bufferSize));
    const bool quiet = wait == MPDLL_WAIT_QUIET;
    PromptCollector collector(std::span<char>(buffer, static_cast<std::size_t>(bufferSize)), field_text(dev->prompt),
                              wait, quiet ? 0 : owed_prompts::of(*dev));
    long long received = 0;
    auto finish = [&] {
        if (!quiet) owed_prompts::set(*dev, collector.owed_after());
        last_exchange::record_received(collector.text());
        *receivedLength = static_cast<int32_t>(std::min<long long>(received, INT32_MAX));
        return MPDLL_OK;
    };

    const ReceiveWindow window;
    do {
        const TelnetChunk got =
            read_telnet_chunk(dev->telnetSocket, std::span<char>(chunk, sizeof chunk - 1), quiet, window);
        if (got.kind == TelnetChunk::Kind::waitFailed) return MPDLL_E_TRANSPORT;
        if (got.kind == TelnetChunk::Kind::readFailed) return socket_error();
        if (got.kind == TelnetChunk::Kind::data) {
            received += static_cast<long long>(got.length);
            if (collector.append(received_text(chunk, got.length))) return finish();
        }
        // A closed connection stays readable with nothing to read: pace the
        // loop as if waiting, until the window ends.
        if (got.kind == TelnetChunk::Kind::closed) platform::sleep_ms(kPollIntervalMs);
    } while (window.open());
    return finish();
}
