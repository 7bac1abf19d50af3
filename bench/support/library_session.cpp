// DevContext set-up for each transport and the open/close around it.
#include "support/library_session.h"

#include <arpa/inet.h>

#include <cstdio>
#include <cstring>

namespace mpbench {
namespace {

constexpr int kResponseSize = 16384;

void copy_text(char* field, std::size_t size, const char* text) { std::snprintf(field, size, "%s", text); }

}  // namespace

void fill_telnet_record(DevContext& dev, int port) {
    dev.mode = MPDLL_MODE_TELNET;
    std::snprintf(dev.ipText, sizeof dev.ipText, "127.0.0.1:%d", port);
    copy_text(dev.userName, sizeof dev.userName, kUser);
    copy_text(dev.password, sizeof dev.password, kPassword);
    copy_text(dev.prompt, sizeof dev.prompt, kPrompt);
}

LibrarySession::LibrarySession() : dev_(std::make_unique<DevContext>()), response_(new char[kResponseSize]) {
    std::memset(dev_.get(), 0, sizeof(DevContext));
    copy_text(dev_->prompt, sizeof dev_->prompt, kPrompt);
}

LibrarySession::~LibrarySession() {
    if (is_open()) CloseDev(dev_.get(), MPDLL_MODE_UDP | MPDLL_MODE_TELNET | MPDLL_MODE_SERIAL);
}

void LibrarySession::open(int udpPort) {
    openResult_ = OpenDev(dev_.get());
    // OpenDev points the UDP peer at port 9034; the simulator listens on an
    // ephemeral port.
    if (openResult_ == MPDLL_OK && udpPort > 0) dev_->udpPeer.port = htons(static_cast<std::uint16_t>(udpPort));
}

std::unique_ptr<LibrarySession> LibrarySession::telnet(int port) {
    std::unique_ptr<LibrarySession> session(new LibrarySession);
    fill_telnet_record(*session->dev_, port);
    session->open(0);
    return session;
}

std::unique_ptr<LibrarySession> LibrarySession::udp(int port) {
    std::unique_ptr<LibrarySession> session(new LibrarySession);
    DevContext& dev = *session->dev_;
    dev.mode = MPDLL_MODE_UDP;
    dev.udpPeer.address = htonl(INADDR_LOOPBACK);
    session->open(port);
    return session;
}

std::unique_ptr<LibrarySession> LibrarySession::serial(const std::string& path, bool immediateReads) {
    std::unique_ptr<LibrarySession> session(new LibrarySession);
    session->portName_ = path;
    DevContext& dev = *session->dev_;
    dev.mode = MPDLL_MODE_SERIAL;
    dev.portName = session->portName_.c_str();
    dev.dcb.DCBlength = sizeof(MpDcb);
    dev.dcb.BaudRate = 115200;
    dev.dcb.fBinary = 1;
    dev.dcb.ByteSize = 8;
    // Each write waits (up to this bound) for the line to drain before the
    // library purges the output side; with 0 the purge can drop the line.
    dev.sendTimeout = 1000;
    if (immediateReads) dev.commTimeouts = MpCommTimeouts{0xFFFFFFFFu, 0, 0, 100, 500};
    session->open(0);
    return session;
}

int LibrarySession::send(const char* command, int wait) {
    return SendCommand(dev_.get(), command, response_.get(), kResponseSize, 0, wait);
}

}  // namespace mpbench
