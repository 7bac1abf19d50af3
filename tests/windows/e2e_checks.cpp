// The telnet and UDP scenarios of the Windows end-to-end program, and the
// record and text helpers every scenario uses.
#include <cstring>
#include <string>

#include "e2e.h"

namespace e2e {

void fill(char* field, std::size_t size, const std::string& text) {
    std::memset(field, 0, size);
    std::memcpy(field, text.data(), text.size() < size ? text.size() : size - 1);
}

DevContext* new_record() {
    auto* dev = static_cast<DevContext*>(::HeapAlloc(::GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DevContext)));
    fill(dev->prompt, "# ");
    fill(dev->ifName, "wlan0");
    return dev;
}

void free_record(DevContext* dev) { ::HeapFree(::GetProcessHeap(), 0, dev); }

void set_serial_line(DevContext& dev) {
    dev.dcb.DCBlength = sizeof(DCB);
    dev.dcb.BaudRate = 115200;
    dev.dcb.ByteSize = 8;
    dev.dcb.Parity = NOPARITY;
    dev.dcb.StopBits = ONESTOPBIT;
    dev.dcb.fBinary = 1;
}

std::string visible(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            out += "\\r";
        else if (c == '\n')
            out += "\\n";
        else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            out += "\\x" + std::string(1, "0123456789abcdef"[(c >> 4) & 0xf]) + "0123456789abcdef"[c & 0xf];
        else
            out += c;
    }
    return out;
}

namespace {

bool named_object_exists(const char* name, bool mutex) {
    HANDLE h = mutex ? ::OpenMutexA(SYNCHRONIZE, FALSE, name) : ::OpenEventA(SYNCHRONIZE, FALSE, name);
    if (h) ::CloseHandle(h);
    return h != nullptr;
}

}  // namespace

void board_test(const Api& api, DevContext& dev, Ledger& ledger, const std::string& t) {
    ledger.status(api.EnterMP(&dev), t + " EnterMP");
    ledger.status(api.TxStart(&dev, 0, 0, 0, "6", "54M", "A", 30, 30, 100, 0), t + " TxStart");
    ledger.status(api.TxStop(&dev), t + " TxStop");

    ledger.status(api.RxStartWithFilter(&dev, 0, 0, "6", "A", "", "", "00:11:22:33:44:55"), t + " RxStartWithFilter");
    int32_t rxOk = -1, crcError = -1;
    ledger.status(api.RxQuery(&dev, &rxOk, &crcError), t + " RxQuery");
    ledger.check(rxOk >= 0 && crcError >= 0, t + " RxQuery counters written",
                 std::to_string(rxOk) + "/" + std::to_string(crcError));
    ledger.status(api.RxResetCounter(&dev), t + " RxResetCounter");
    ledger.status(api.RxStop(&dev), t + " RxStop");

    ledger.status(api.PowerTrackingOn(&dev, 20), t + " PowerTrackingOn");
    int32_t thermal = -1;
    ledger.status(api.PowerTrackingQuery(&dev, &thermal), t + " PowerTrackingQuery");
    ledger.status(api.PowerTrackingOff(&dev), t + " PowerTrackingOff");

    ledger.status(api.FlashSet(&dev, "E2E_TEST_PARAM", "0a0b0c"), t + " FlashSet");
    static char value[16384];
    std::memset(value, 0, sizeof value);
    ledger.status(api.FlashGet(&dev, "E2E_TEST_PARAM", value), t + " FlashGet");
    ledger.check(std::string(value) == "0a0b0c", t + " flash value read back", value);

    ledger.status(api.RegisterSet(&dev, 0, 36, 0x1234u), t + " RegisterSet");
    uint32_t reg = 0;
    ledger.status(api.RegisterGet(&dev, 0, 36, &reg), t + " RegisterGet");
    ledger.check(reg == 0x1234u, t + " register read back", std::to_string(reg));

    static char chip[16384];
    std::memset(chip, 0, sizeof chip);
    ledger.status(api.GetChipVersion(&dev, chip), t + " GetChipVersion");
    ledger.check(chip[0] != 0, t + " chip version text", chip);
    std::memset(chip, 0, sizeof chip);
    ledger.status(api.GetHwSupport(&dev, chip), t + " GetHwSupport");
    ledger.check(chip[0] != 0, t + " MIMO support text", chip);

    char sent[2048], received[16384];
    ledger.status(api.GetBuffer(&dev, sent, sizeof sent, received, sizeof received), t + " GetBuffer");
    ledger.check(std::strstr(sent, "mib_rf") != nullptr || std::strstr(sent, "flash read") != nullptr,
                 t + " GetBuffer holds the last line", sent);
}

void telnet_session(const Api& api, const Peers& peers, Ledger& ledger) {
    DevContext* dev = new_record();
    dev->mode = MPDLL_MODE_TELNET;
    fill(dev->ipText, peers.telnet);
    fill(dev->userName, "root");
    fill(dev->password, "root");
    int status = api.OpenDev(dev);
    ledger.status(status, "telnet OpenDev");
    if (status == 0) {
        board_test(api, *dev, ledger, "telnet");
        ledger.status(api.CloseDev(dev, MPDLL_MODE_TELNET), "telnet CloseDev");
        ledger.check(dev->openFlags == 0 && dev->mode == 0, "telnet record closed");
    }
    free_record(dev);
}

void udp_session(const Api& api, const Peers& peers, Ledger& ledger) {
    DevContext* dev = new_record();
    dev->mode = MPDLL_MODE_UDP;
    dev->udpPeer.address = ::inet_addr(peers.udpAddress.c_str());
    ledger.status(api.OpenDev(dev), "udp OpenDev");
    ledger.check(dev->cmdTimeout == 5000 && dev->udpPeer.port == ::htons(9034), "udp record filled");
    ledger.check(named_object_exists("MUTEX_CMD", true) && named_object_exists("EVENT_CMD", false) &&
                     named_object_exists("EVENT_CMD_DONE", false),
                 "named objects open while the record is open");
    board_test(api, *dev, ledger, "udp");
    ledger.status(api.CloseDev(dev, MPDLL_MODE_UDP), "udp CloseDev");
    ledger.check(dev->udpStop == 1, "udp stop flag set");
    ledger.check(!named_object_exists("MUTEX_CMD", true) && !named_object_exists("EVENT_CMD", false) &&
                     !named_object_exists("EVENT_CMD_DONE", false),
                 "named objects gone after CloseDev");
    free_record(dev);
}

}  // namespace e2e
