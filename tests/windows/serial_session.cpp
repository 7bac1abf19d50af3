// The serial scenario of the Windows end-to-end program: every serial
// operation of the DLL on a COM port that leads to the board simulator's
// console, each checked for its status and for the values the simulated
// board holds.
#include <cstring>
#include <string>
#include <string_view>

#include "e2e.h"

namespace e2e {
namespace {

// The simulated board as the run starts it (tools/mpboard): its factory
// flash values and chip facts, and how its driver counts. Each mp_query adds
// 97 TX OK and 3 TX fail while packets go out; while reception runs, the
// tester's frames (98 intact, 2 damaged) and a neighbour's (19, 1) arrive once
// per query, each counted when it passes the address filters. The thermal
// meter starts at THER and moves one step per reading: up while TX runs,
// back towards THER otherwise. TSSI reads 40 + path A power / 2 during TX.
constexpr int32_t kThermalReference = 30;
constexpr const char* kTesterAddress = "02:00:00:00:00:01";
constexpr const char* kNoAddress = "00:00:00:00:00:00";
constexpr int32_t kPowerA = 30;

struct Counters {
    int32_t txOk = -1, txFail = -1, rxOk = -1, crcError = -1;
    bool operator==(const Counters&) const = default;
    std::string text() const {
        return std::to_string(txOk) + "/" + std::to_string(txFail) + "/" + std::to_string(rxOk) + "/" +
               std::to_string(crcError);
    }
};

// Milliseconds on the performance counter (the tick count moves in steps of
// several milliseconds under some loaders).
double now_ms() {
    LARGE_INTEGER count, frequency;
    ::QueryPerformanceCounter(&count);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// An answer without the line ends around it.
std::string_view inner(std::string_view text) {
    while (!text.empty() && (text.front() == '\r' || text.front() == '\n')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.remove_suffix(1);
    return text;
}

class SerialRun {
  public:
    SerialRun(const Api& api, DevContext& dev, Ledger& ledger) : api_(api), dev_(dev), ledger_(ledger) {}

    // SerialSnd and SerialRcv on their own, and the transcript GetBuffer keeps.
    void raw_exchange() {
        const char line[] = "flash get XCAP";
        ledger_.status(api_.SerialSnd(&dev_, line, sizeof line - 1), "serial SerialSnd");
        static char text[4096];
        std::memset(text, 0, sizeof text);
        std::memcpy(text, "<<", 2);
        int32_t received = -1;
        ledger_.status(api_.SerialRcv(&dev_, text, sizeof text, &received, MPDLL_WAIT_NONE), "serial SerialRcv");
        const std::string_view got(text);
        ledger_.check(got.starts_with("<<"), "serial SerialRcv appends to the buffer's text", visible(got));
        ledger_.check(received == static_cast<int32_t>(got.size()) - 2, "serial SerialRcv counts the bytes it read",
                      std::to_string(received) + " for " + visible(got));
        ledger_.check(got.find("XCAP=32\r\n") != std::string_view::npos && got.ends_with("# "),
                      "serial SerialRcv collects the answer up to the prompt", visible(got));

        char sent[64];
        static char last[4096];
        ledger_.status(api_.GetBuffer(&dev_, sent, sizeof sent, last, sizeof last), "serial GetBuffer");
        ledger_.check(std::string_view(sent) == "flash get XCAP\r", "serial GetBuffer holds the line sent",
                      visible(sent));
        ledger_.check(got.size() > 2 && std::string_view(last).ends_with(got.substr(2)),
                      "serial GetBuffer holds the text received", visible(last));
    }

    // SendCommand with each kind of wait.
    void command_waits() {
        struct Case {
            const char* name;
            int32_t wait;
            int32_t keepPrompt;
            const char* line;
            const char* answer;
            double leastMs;  // the sleeps and the quiet time the wait asks for
        };
        const Case cases[] = {
            {"wait 0", 0, 0, "flash get THER", "THER=30", 0},
            {"wait 300 ms (slept after the send and again before the receive)", 300, 0, "flash get XCAP", "XCAP=32",
             600},
            {"no wait (-123)", MPDLL_WAIT_NONE, 0, "flash get REG_DOMAIN", "REG_DOMAIN=1", 0},
            {"quiet wait (-124)", MPDLL_WAIT_QUIET, 0, "flash get MAC_ADDR", "MAC_ADDR=020000000002", 200},
            {"prompt kept", MPDLL_WAIT_NONE, 1, "flash get THER", "THER=30\r\n# ", 0},
        };
        for (const Case& c : cases) {
            const std::string what = std::string("serial SendCommand ") + c.name;
            static char response[4096];
            const double start = now_ms();
            ledger_.status(api_.SendCommand(&dev_, c.line, response, sizeof response, c.keepPrompt, c.wait), what);
            const double spent = now_ms() - start;
            ledger_.check(inner(response) == c.answer, what + ": the line's own answer", visible(response));
            ledger_.check(spent >= c.leastMs, what + ": waited as asked", std::to_string(spent) + " ms");
        }
    }

    // Test mode, a transmit test with the counters, TSSI, the thermal meter
    // and power tracking read while it runs and after it stopped.
    void transmit() {
        ledger_.status(api_.EnterMP(&dev_), "serial EnterMP");
        expect_thermal("serial mp_ther before TX", kThermalReference);
        const Counters before = query("serial mp_query before TX");

        ledger_.status(api_.TxStart(&dev_, 0, 0, 0, "6", "54M", "A", kPowerA, kPowerA, 0, 0), "serial TxStart");
        expect_counters("serial mp_query during TX", {97, 3, before.rxOk, before.crcError});
        expect_counters("serial mp_query during TX, again", {194, 6, before.rxOk, before.crcError});
        expect_tssi("serial mp_tssi during TX", 40 + kPowerA / 2);
        expect_thermal("serial mp_ther during TX", kThermalReference + 1);

        ledger_.status(api_.PowerTrackingOn(&dev_, 20), "serial PowerTrackingOn");
        int32_t thermal = -1;
        ledger_.status(api_.PowerTrackingQuery(&dev_, &thermal), "serial PowerTrackingQuery");
        ledger_.check(thermal == kThermalReference + 2, "serial PowerTrackingQuery reads the meter",
                      std::to_string(thermal));
        ledger_.status(api_.PowerTrackingOff(&dev_), "serial PowerTrackingOff");

        ledger_.status(api_.TxStop(&dev_), "serial TxStop");
        expect_counters("serial mp_query after TX", {194, 6, before.rxOk, before.crcError});
        expect_tssi("serial mp_tssi after TX", 0);
        expect_thermal("serial mp_ther after TX", kThermalReference + 1);
    }

    // Receive tests without and with an address filter, and the filter report.
    void receive() {
        ledger_.status(api_.RxStart(&dev_, 0, 0, "6", "A"), "serial RxStart");
        expect_rx("serial RxQuery", 117, 3);
        expect_rx("serial RxQuery, again", 234, 6);
        ledger_.status(api_.RxResetCounter(&dev_), "serial RxResetCounter");
        expect_rx("serial RxQuery after the reset", 117, 3);
        ledger_.status(api_.RxStop(&dev_), "serial RxStop");
        expect_rx("serial RxQuery after RxStop", 117, 3);

        ledger_.status(api_.RxStartWithFilter(&dev_, 0, 0, "6", "A", "", kTesterAddress, ""),
                       "serial RxStartWithFilter");
        expect_filters("serial mp_arx_filter_print with the SA filter", kTesterAddress, kNoAddress, kNoAddress);
        expect_counters("serial mp_query with the SA filter", {194, 6, 98, 2});
        ledger_.status(api_.RxStop(&dev_), "serial RxStop with the filter");
        expect_filters("serial mp_arx_filter_print after RxStop", kNoAddress, kNoAddress, kNoAddress);
    }

    void flash() {
        ledger_.status(api_.FlashSet(&dev_, "E2E_SERIAL_PARAM", "0d0e0f"), "serial FlashSet");
        static char value[16384];
        std::memset(value, 0, sizeof value);
        ledger_.status(api_.FlashGet(&dev_, "E2E_SERIAL_PARAM", value), "serial FlashGet");
        ledger_.check(std::string_view(value) == "0d0e0f", "serial FlashGet reads the value set", value);
        ledger_.check(api_.FlashGet(&dev_, "E2E_NO_SUCH_PARAM", value) == MPDLL_E_REPLY,
                      "serial FlashGet of a parameter the board lacks fails with -30004");
    }

    // Three registers written, then read back: each keeps its own value.
    void registers() {
        struct Register {
            int32_t path, address;
            uint32_t value;
        };
        const Register written[] = {{1, 40, 0x0BADCAFEu}, {3, 255, 0xFFFFFFFFu}, {0, 0, 0u}};
        for (const Register& r : written)
            ledger_.status(api_.RegisterSet(&dev_, r.path, r.address, r.value),
                           "serial RegisterSet " + std::to_string(r.path) + " " + std::to_string(r.address));
        for (const Register& r : written) {
            const std::string what = "serial RegisterGet " + std::to_string(r.path) + " " + std::to_string(r.address);
            uint32_t read = 0x5A5A5A5Au;
            ledger_.status(api_.RegisterGet(&dev_, r.path, r.address, &read), what);
            ledger_.check(read == r.value, what + " reads the value set", std::to_string(read));
        }
    }

    // The simulator's defaults, in the normal form (upper case).
    void chip_facts() {
        static char text[16384];
        std::memset(text, 0, sizeof text);
        ledger_.status(api_.GetChipVersion(&dev_, text), "serial GetChipVersion");
        ledger_.check(std::string_view(text) == "B", "serial GetChipVersion reads chipVersion", visible(text));
        std::memset(text, 0, sizeof text);
        ledger_.status(api_.GetHwSupport(&dev_, text), "serial GetHwSupport");
        ledger_.check(std::string_view(text) == "2", "serial GetHwSupport reads MIMO_TR_hw_support", visible(text));
    }

  private:
    Counters query(const std::string& what) {
        Counters got;
        ledger_.status(api_.mp_query(&dev_, &got.txOk, &got.txFail, &got.rxOk, &got.crcError), what);
        return got;
    }

    void expect_counters(const std::string& what, const Counters& expected) {
        const Counters got = query(what);
        ledger_.check(got == expected, what + " counts " + expected.text(), got.text());
    }

    void expect_rx(const std::string& what, int32_t rxOk, int32_t crcError) {
        int32_t gotOk = -1, gotCrc = -1;
        ledger_.status(api_.RxQuery(&dev_, &gotOk, &gotCrc), what);
        ledger_.check(gotOk == rxOk && gotCrc == crcError,
                      what + " counts " + std::to_string(rxOk) + "/" + std::to_string(crcError),
                      std::to_string(gotOk) + "/" + std::to_string(gotCrc));
    }

    void expect_thermal(const std::string& what, int32_t expected) {
        int32_t got = -1;
        ledger_.status(api_.mp_ther(&dev_, &got), what);
        ledger_.check(got == expected, what + " reads " + std::to_string(expected), std::to_string(got));
    }

    void expect_tssi(const std::string& what, int32_t expected) {
        int32_t got = -1;
        ledger_.status(api_.mp_tssi(&dev_, &got), what);
        ledger_.check(got == expected, what + " reads " + std::to_string(expected), std::to_string(got));
    }

    void expect_filters(const std::string& what, const char* sa, const char* da, const char* bssid) {
        char gotDa[18] = {}, gotSa[18] = {}, gotBssid[18] = {};
        ledger_.status(api_.mp_arx_filter_print(&dev_, gotDa, gotSa, gotBssid), what);
        ledger_.check(
            std::string_view(gotSa) == sa && std::string_view(gotDa) == da && std::string_view(gotBssid) == bssid,
            what + " reports SA/DA/BSSID", std::string(gotSa) + " " + gotDa + " " + gotBssid);
    }

    const Api& api_;
    DevContext& dev_;
    Ledger& ledger_;
};

}  // namespace

void serial_session(const Api& api, const Peers& peers, Ledger& ledger) {
    DevContext* dev = new_record();
    dev->mode = MPDLL_MODE_SERIAL;
    dev->portName = "COM9";  // no such port in the prefix
    ledger.check(api.OpenDev(dev) == MPDLL_E_OPEN, "serial open of a missing port fails with -30006");
    ledger.check(dev->serialHandle == INVALID_HANDLE_VALUE, "failed serial open leaves the invalid handle");
    if (!peers.serialPort.empty()) {
        dev->portName = peers.serialPort.c_str();
        dev->mode = MPDLL_MODE_SERIAL;
        set_serial_line(*dev);
        const int32_t opened = api.OpenDev(dev);
        ledger.status(opened, "serial OpenDev " + peers.serialPort);
        ledger.check(dev->openFlags == MPDLL_MODE_SERIAL && dev->serialHandle != INVALID_HANDLE_VALUE,
                     "serial record open");
        if (opened == MPDLL_OK) {
            SerialRun run(api, *dev, ledger);
            run.raw_exchange();
            run.command_waits();
            run.transmit();
            run.receive();
            run.flash();
            run.registers();
            run.chip_facts();
        }
        ledger.status(api.CloseDev(dev, MPDLL_MODE_SERIAL), "serial CloseDev");
        ledger.check(dev->openFlags == 0 && dev->mode == 0, "serial record closed");
    }
    free_record(dev);
}

}  // namespace e2e
