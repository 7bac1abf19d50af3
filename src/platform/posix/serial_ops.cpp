// termios backend of the serial operations. The port is a device path
// ("/dev/ttyS0", "/dev/ttyUSB0", a pseudo-terminal slave) opened as given.
// Reads and writes follow the five port time-outs the way the Windows
// communications port does; they are kept per open port in serial_port_table.
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "platform/native_ops.h"
#include "platform/platform.h"
#include "platform/posix/serial_line.h"
#include "platform/posix/serial_port_table.h"

namespace mpdll::platform {
namespace {

// The handle is the descriptor plus one, so that 0 never names an open port.
int fd_of(MpHandle h) { return static_cast<int>(reinterpret_cast<std::intptr_t>(h)) - 1; }
MpHandle handle_of(int fd) { return reinterpret_cast<MpHandle>(static_cast<std::intptr_t>(fd) + 1); }

constexpr int kDrainPollMs = 1;

// A pseudo-terminal slave (its canonical name is under /dev/pts/, also when
// the caller names it through a link).
bool is_pseudo_terminal_slave(int fd) {
    char name[64] = {};
    return ::ttyname_r(fd, name, sizeof name) == 0 && std::strncmp(name, "/dev/pts/", 9) == 0;
}

// The error number of the last failed open or set_line on this thread,
// kept apart from errno so that later calls cannot overwrite it.
thread_local int lastPortError = 0;

MpHandle open_failed(int error) {
    lastPortError = error;
    return kInvalidHandle;
}

MpHandle open(const char* portName) {
    if (!portName || !*portName) return open_failed(ENOENT);
    int fd = ::open(portName, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return open_failed(errno);
    termios line{};
    if (!::isatty(fd) || ::tcgetattr(fd, &line) != 0) {
        const int error = errno;  // ENOTTY for a file or device that is no terminal
        ::close(fd);
        return open_failed(error);
    }
    ::ioctl(fd, TIOCEXCL);  // no sharing: later opens of the port fail
    ::cfmakeraw(&line);
    line.c_cflag |= CLOCAL | CREAD;
    ::tcsetattr(fd, TCSANOW, &line);
    serial_port_table::remember(fd, is_pseudo_terminal_slave(fd));
    return handle_of(fd);
}

// The driver sizes its own queues.
bool set_queue_sizes(MpHandle, std::uint32_t, std::uint32_t) { return true; }

bool set_timeouts(MpHandle h, const MpCommTimeouts& timeouts) { return serial_port_table::set(fd_of(h), timeouts); }

bool line_failed(int error) {
    lastPortError = error;
    return false;
}

// A speed or character size termios does not have is EINVAL.
bool set_line(MpHandle h, const MpDcb& dcb) {
    int fd = fd_of(h);
    termios line{};
    if (::tcgetattr(fd, &line) != 0) return line_failed(errno);
    if (!apply_line_settings(dcb, &line)) return line_failed(EINVAL);
    return ::tcsetattr(fd, TCSANOW, &line) == 0 || line_failed(errno);
}

// Clearing the output discards what the port has not sent yet. A
// pseudo-terminal has sent everything the moment it was written (flushing
// its output would take back what the other end has not read yet), so
// there the output is left alone.
bool purge(MpHandle h, unsigned mask) {
    const bool input = mask & kPurgeRxClear;
    const bool output = (mask & kPurgeTxClear) && !serial_port_table::is_pseudo_terminal(fd_of(h));
    if (!input && !output) return true;
    int queue = input && output ? TCIOFLUSH : (input ? TCIFLUSH : TCOFLUSH);
    return ::tcflush(fd_of(h), queue) == 0;
}

bool status(MpHandle h, std::uint32_t* inQueue, std::uint32_t* outQueue) {
    int fd = fd_of(h), in = 0, out = 0;
    if (::ioctl(fd, FIONREAD, &in) != 0 || ::ioctl(fd, TIOCOUTQ, &out) != 0) return false;
    *inQueue = static_cast<std::uint32_t>(in);
    *outQueue = static_cast<std::uint32_t>(out);
    return true;
}

// Waits for one of events on the port; a negative time waits without limit.
// A hung-up line (the other end of a pseudo-terminal closed) reports no
// input, so the wait sleeps out its time instead of returning at once.
bool wait_for(int fd, short events, int timeoutMs) {
    const std::uint64_t start = monotonic_ms();
    for (;;) {
        pollfd entry{fd, events, 0};
        int n = ::poll(&entry, 1, timeoutMs);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        if (entry.revents & events) return true;
        if (entry.revents & POLLNVAL) return false;
        if (timeoutMs < 0) return false;
        const std::uint64_t spent = monotonic_ms() - start;
        if (spent < static_cast<std::uint64_t>(timeoutMs)) sleep_ms(timeoutMs - static_cast<int>(spent));
        return false;
    }
}

void wait_input(MpHandle h, int timeoutMs) { wait_for(fd_of(h), POLLIN, timeoutMs < 0 ? 0 : timeoutMs); }

// Time left until a deadline, for poll(); -1 when there is no deadline.
int remaining(std::uint64_t deadline) {
    if (deadline == 0) return -1;
    std::uint64_t now = monotonic_ms();
    return now >= deadline ? 0 : static_cast<int>(deadline - now);
}

std::uint64_t deadline_after(std::uint64_t totalMs) { return totalMs == 0 ? 0 : monotonic_ms() + totalMs; }

// Reads as the port time-outs say: the total time-out bounds the whole read,
// the interval time-out ends it when the line goes quiet after data, and an
// interval of all bits set with no total returns what is queued at once.
// The caller's withinMs bounds it whatever the port time-outs allow.
int read(MpHandle h, char* data, int capacity, int withinMs) {
    const int fd = fd_of(h);
    const MpCommTimeouts t = serial_port_table::get(fd);
    const bool immediate =
        t.ReadIntervalTimeout == UINT32_MAX && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const std::uint64_t total =
        static_cast<std::uint64_t>(t.ReadTotalTimeoutMultiplier) * static_cast<std::uint64_t>(capacity) +
        t.ReadTotalTimeoutConstant;
    const std::uint64_t bound = withinMs > 0 ? static_cast<std::uint64_t>(withinMs) : 0;
    const std::uint64_t deadline = (total == 0 || bound < total) ? monotonic_ms() + bound : deadline_after(total);
    int got = 0;
    while (got < capacity) {
        ssize_t n = ::read(fd, data + got, static_cast<size_t>(capacity - got));
        if (n > 0) {
            got += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return got > 0 ? got : -1;
        if (immediate) break;
        int wait = remaining(deadline);
        if (got > 0 && t.ReadIntervalTimeout != 0) {
            int interval = t.ReadIntervalTimeout > 60000u ? 60000 : static_cast<int>(t.ReadIntervalTimeout);
            wait = wait < 0 ? interval : (interval < wait ? interval : wait);
        }
        if (wait == 0 || !wait_for(fd, POLLIN, wait)) break;
    }
    return got;
}

// The output queue empties, or the deadline passes.
void drain_until(int fd, std::uint64_t deadline) {
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0 && remaining(deadline) != 0) sleep_ms(kDrainPollMs);
}

// Writes within the total write time-out and, like the Windows port, ends
// once the bytes have left the port (or the time-out cuts the wait short);
// what the time-out cuts off is not an error (the count written tells).
int write(MpHandle h, const char* data, int length) {
    const int fd = fd_of(h);
    const MpCommTimeouts t = serial_port_table::get(fd);
    const std::uint64_t deadline =
        deadline_after(static_cast<std::uint64_t>(t.WriteTotalTimeoutMultiplier) * static_cast<std::uint64_t>(length) +
                       t.WriteTotalTimeoutConstant);
    int put = 0;
    while (put < length) {
        ssize_t n = ::write(fd, data + put, static_cast<size_t>(length - put));
        if (n > 0) {
            put += static_cast<int>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && errno != EAGAIN) return put > 0 ? put : -1;
        int wait = remaining(deadline);
        if (wait == 0 || !wait_for(fd, POLLOUT, wait)) break;
    }
    drain_until(fd, deadline);
    return put;
}

void close(MpHandle h) {
    int fd = fd_of(h);
    if (fd < 0) return;
    serial_port_table::forget(fd);
    ::close(fd);
}

int last_error() { return lastPortError; }

constexpr SerialOps kTermios{open, set_queue_sizes, set_timeouts, set_line,  purge, status, wait_input,
                             read, write,           close,        last_error};

}  // namespace

const SerialOps& native_serial_ops() { return kTermios; }

}  // namespace mpdll::platform
