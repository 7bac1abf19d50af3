// The serial backend: the console port opened and closed, and command lines
// run through the shared line exchange; an answer needs its prompt within
// the receive time.
#include "connection/device_open_close.h"
#include "connection/line_exchange.h"
#include "connection/serial/serial_open.h"
#include "connection/serial/serial_transport.h"
#include "connection/transport.h"
#include "platform/platform.h"

namespace mpdll {
namespace {

std::int32_t open_serial_console(DevContext& dev) noexcept { return open_line_connection(dev, open_serial); }

void close_serial_console(DevContext& dev) noexcept {
    if (dev.serialHandle && dev.serialHandle != platform::kInvalidHandle) platform::serial().close(dev.serialHandle);
    dev.serialHandle = platform::kInvalidHandle;
    session::end(dev);
}

void drop_serial_input(const DevContext& dev, SessionState&, DroppedInput& dropped, std::span<char> scratch) noexcept {
    discard_serial_input(dev.serialHandle, dropped, scratch);
}

std::int32_t receive_serial_answer(const DevContext& dev, SessionState&, AnswerFramer& framer, std::int32_t wait,
                                   const PromptSettle& settle, const CallTrace& trace) noexcept {
    std::int32_t received = 0;
    return serial_receive(dev, framer, wait, settle, received, trace);
}

// The answer came whole: what is left on the port is dropped.
std::int32_t settle_serial_answer(const DevContext& dev, const AnswerFramer& framer, const CallTrace& trace) noexcept {
    if (!framer.complete()) return serial_answer_missing(trace);
    platform::serial().purge(dev.serialHandle, platform::kPurgeAll);
    return MPDLL_OK;
}

constexpr LineConsole kSerialConsole{drop_serial_input, serial_send, receive_serial_answer, settle_serial_answer};

std::int32_t run_serial_line(DevContext& dev, std::string_view line, std::span<char> response, bool keepPrompt,
                             std::int32_t wait, const CallTrace& trace) noexcept {
    return line_exchange(dev, line, response, keepPrompt, wait, kSerialConsole, trace);
}

}  // namespace

constinit const Transport serialTransport{
    .mode = MPDLL_MODE_SERIAL,
    .name = "serial",
    .firstOpenStep = "serial port",
    .open = open_serial_console,
    .close = close_serial_console,
    .exchange = run_serial_line,
    .reachesShell = true,
};

}  // namespace mpdll
