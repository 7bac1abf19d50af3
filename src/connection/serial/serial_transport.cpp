// Serial transport: SerialSnd writes one line, SerialRcv collects the
// board's output until the prompt ends what it sent or 5000 ms pass, and
// what already waits is dropped before a line goes out. While the input
// queue is empty the receive waits on the port instead of spinning, and no
// read outlasts the time left, however the console drips its bytes.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <span>

#include "connection/last_exchange.h"
#include "connection/serial/serial_timeouts.h"
#include "connection/serial/serial_transport.h"
#include "connection/session_log.h"
#include "platform/platform.h"
#include "text/bounded_text.h"
#include "text/buffer_sizes.h"

namespace {

constexpr std::uint64_t kReceiveLimitMs = 5000;
constexpr std::uint64_t kDefaultDrainMs = 5000;
constexpr int kQuietStepMs = 200;
constexpr int kDrainPollMs = 1;

using mpdll::platform::SerialOps;

// How long SerialSnd waits for the output queue to drain after a write of
// `length` bytes: sendTimeout (0 = no wait, negative = the 5000 ms default),
// never longer than the port's total write time-out allows.
std::uint64_t drain_limit(const DevContext& dev, std::size_t length) {
    if (dev.sendTimeout == 0) return 0;
    const std::uint64_t asked = dev.sendTimeout > 0 ? static_cast<std::uint64_t>(dev.sendTimeout) : kDefaultDrainMs;
    const MpCommTimeouts t = mpdll::port_timeouts(dev);
    const std::uint64_t writeBound =
        static_cast<std::uint64_t>(t.WriteTotalTimeoutMultiplier) * length + t.WriteTotalTimeoutConstant;
    return writeBound == 0 ? asked : std::min(asked, writeBound);
}

// The output queue drains within limitMs of the start; false when the port
// status cannot be read.
bool drain_output(const SerialOps& port, MpHandle handle, std::uint64_t limitMs, std::uint64_t start) {
    for (;;) {
        std::uint32_t in = 0, out = 0;
        if (!port.status(handle, &in, &out)) return false;
        if (out == 0 || mpdll::platform::monotonic_ms() - start >= limitMs) return true;
        mpdll::platform::sleep_ms(kDrainPollMs);
    }
}

// Milliseconds left of the receive time that started at start.
int time_left(std::uint64_t start) {
    const std::uint64_t spent = mpdll::platform::monotonic_ms() - start;
    return spent >= kReceiveLimitMs ? 0 : static_cast<int>(kReceiveLimitMs - spent);
}

// The quiet wait: sleeps in 200 ms steps until the input count holds still
// (or the receive time is up); false when the port status cannot be read.
bool wait_until_quiet(const SerialOps& port, MpHandle handle, std::uint32_t seen, std::uint64_t start) {
    for (;;) {
        mpdll::platform::sleep_ms(std::min(kQuietStepMs, time_left(start)));
        std::uint32_t in = 0, out = 0;
        if (!port.status(handle, &in, &out)) return false;
        if (in == seen || time_left(start) == 0) return true;
        seen = in;
    }
}

}  // namespace

namespace mpdll {

std::int32_t serial_send(const DevContext& dev, std::string_view data, const CallTrace& trace) noexcept {
    if (data.size() > kCommandSize - 2)
        return trace.fail("send", MPDLL_E_ARGUMENT, "the line is longer than 2046 bytes");
    const std::uint64_t start = platform::monotonic_ms();
    char line[kCommandSize] = {};
    std::memcpy(line, data.data(), data.size());
    line[data.size()] = '\r';
    const std::string_view text = text_within(line, sizeof line);
    last_exchange::record_sent(text);

    const SerialOps& port = platform::serial();
    port.purge(dev.serialHandle, platform::kPurgeAll);
    const int lineLength = static_cast<int>(text.size());
    if (port.write(dev.serialHandle, text.data(), lineLength) != lineLength) {
        port.purge(dev.serialHandle, platform::kPurgeOutput);
        return trace.fail("send", MPDLL_E_TRANSPORT, "the port did not take the whole line");
    }
    session_log::sent(text);
    const std::uint64_t limit = drain_limit(dev, text.size());
    if (limit != 0 && !drain_output(port, dev.serialHandle, limit, start))
        return trace.fail("send", MPDLL_E_TRANSPORT, "the port status could not be read while the line went out");
    port.purge(dev.serialHandle, platform::kPurgeOutput);
    return MPDLL_OK;
}

void discard_serial_input(MpHandle port, DroppedInput& dropped, std::span<char> scratch) noexcept {
    const SerialOps& ops = platform::serial();
    for (int reads = 0; reads < kMostStaleReads; ++reads) {
        std::uint32_t queued = 0, unsent = 0;
        if (!ops.status(port, &queued, &unsent) || queued == 0) break;
        const int wanted = static_cast<int>(std::min<std::size_t>(queued, scratch.size()));
        const int got = ops.read(port, scratch.data(), wanted, 0);
        if (got <= 0) break;
        dropped.add(without_nul_bytes(scratch.data(), static_cast<std::size_t>(got)));
    }
}

std::int32_t serial_receive(const DevContext& dev, AnswerFramer& framer, std::int32_t wait, const PromptSettle& settle,
                            std::int32_t& received, const CallTrace& trace) noexcept {
    char chunk[kResponseSize];  // only the bytes of each read are ever read
    if (wait > 0) platform::sleep_ms(wait);
    const std::uint64_t start = platform::monotonic_ms();
    const bool quietWait = wait == MPDLL_WAIT_QUIET;
    const MpHandle handle = dev.serialHandle;
    std::uint64_t spent = 0;
    std::uint64_t lastDataMs = start;
    while (spent <= kReceiveLimitMs) {
        const SerialOps& port = platform::serial();
        std::uint32_t in = 0, out = 0;
        if (!port.status(handle, &in, &out))
            return trace.fail("receive", MPDLL_E_SERIAL_TIMEOUT, "the port status could not be read");
        if (in == 0) {
            const std::uint64_t quietMs = platform::monotonic_ms() - lastDataMs;
            if (framer.only_echo_missing() && quietMs >= kIdlePromptMs) {
                framer.take_idle_prompt();
                return MPDLL_OK;
            }
            int waitMs = settle.bounded_wait(framer, lastDataMs, time_left(start) + 1);
            if (framer.only_echo_missing()) waitMs = std::min(waitMs, static_cast<int>(kIdlePromptMs - quietMs) + 1);
            port.wait_input(handle, waitMs);
        } else {
            if (quietWait && !wait_until_quiet(port, handle, in, start))
                return trace.fail("receive", MPDLL_E_SERIAL_TIMEOUT, "the port status could not be read");
            const int got = port.read(handle, chunk, static_cast<int>(sizeof chunk - 1), time_left(start));
            if (got < 0) {
                port.purge(handle, platform::kPurgeInput);
                return trace.fail("receive", MPDLL_E_TRANSPORT, "reading the port failed");
            }
            session_log::received(std::string_view(chunk, static_cast<std::size_t>(got)));
            received = static_cast<int32_t>(std::min<std::int64_t>(std::int64_t{received} + got, INT32_MAX));
            if (got > 0) lastDataMs = platform::monotonic_ms();
            framer.add(without_nul_bytes(chunk, static_cast<std::size_t>(got)));
        }
        if (settle.over(framer, lastDataMs)) return MPDLL_OK;
        spent = platform::monotonic_ms() - start;
    }
    if (framer.idle_at_prompt_owing() && platform::monotonic_ms() - lastDataMs >= kIdlePromptMs)
        framer.take_idle_prompt();
    return MPDLL_OK;
}

std::int32_t serial_answer_missing(const CallTrace& trace) noexcept {
    return trace.fail("receive", MPDLL_E_SERIAL_TIMEOUT, "no prompt ended the answer within 5000 ms");
}

}  // namespace mpdll

// buffer is not cleared: the text already in it stays and the answer is
// appended (SendCommand passes it cleared); with the quiet wait the burst
// replaces it. receivedLength, when given, gets the count of bytes read from
// the port by this call, however it ends.
static int32_t serial_rcv(DevContext* dev, char* buffer, int32_t bufferSize, int32_t* receivedLength, int32_t wait,
                          const mpdll::CallTrace& trace) noexcept {
    using namespace mpdll;
    if (!dev || !buffer || bufferSize < 1)
        return trace.fail("arguments", MPDLL_E_ARGUMENT, "dev or buffer is missing, or bufferSize is below 1");
    int32_t readCount = 0;
    int32_t& received = receivedLength ? *receivedLength : readCount;
    received = 0;
    const std::span<char> out(buffer, static_cast<std::size_t>(bufferSize));
    const bool quietWait = wait == MPDLL_WAIT_QUIET;
    const std::string_view held = quietWait ? std::string_view{} : text_within(buffer, out.size() - 1);
    AnswerFramer framer(FramingRules{{}, field_text(dev->prompt), false, 0, quietWait}, held);
    const std::int32_t status = serial_receive(*dev, framer, wait, PromptSettle{}, received, trace);
    if (status != MPDLL_OK) return status;
    // What came is appended to what the buffer held (replaces it with the
    // quiet wait), as far as it fits.
    copy_text(out.subspan(held.size()), framer.text());
    if (!framer.complete()) return serial_answer_missing(trace);
    last_exchange::record_received(text_within(buffer, out.size()));
    platform::serial().purge(dev->serialHandle, platform::kPurgeAll);
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL SerialSnd(DevContext* dev, const char* data, int32_t length) MPDLL_NOEXCEPT {
    return mpdll::traced_call(dev, "SerialSnd", [&](const mpdll::CallTrace& trace) {
        if (!dev || !data || length < 0)
            return trace.fail("arguments", MPDLL_E_ARGUMENT, "dev or data is missing, or length is negative");
        return mpdll::serial_send(*dev, std::string_view(data, static_cast<std::size_t>(length)), trace);
    });
}

MPDLL_API int32_t MPDLL_CALL SerialRcv(DevContext* dev, char* buffer, int32_t bufferSize, int32_t* receivedLength,
                                       int32_t wait) MPDLL_NOEXCEPT {
    return mpdll::traced_call(dev, "SerialRcv", [&](const mpdll::CallTrace& trace) {
        return serial_rcv(dev, buffer, bufferSize, receivedLength, wait, trace);
    });
}
