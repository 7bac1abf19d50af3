// The part of the board test the Windows program runs twice for record and
// replay: once against the simulator while MPDLL_RECORD has the DLL record
// the session, once against mpboard replaying that recording. Every call is
// checked for the status the simulator gives, and prints one "PLAN" line
// with its status and the values it read; the two runs' lines must match.
#include <cstring>
#include <string>

#include "e2e.h"

namespace e2e {
namespace {

class PlanRun {
  public:
    PlanRun(const Api& api, DevContext& dev, Ledger& ledger, const std::string& transport)
        : api_(api), dev_(dev), ledger_(ledger), transport_(transport) {}

    // Test mode, a transmit test with its counters read twice (the same line
    // twice, answered in order), a receive test with a counter reset.
    void radio() {
        call("EnterMP", api_.EnterMP(&dev_));
        call("TxStart", api_.TxStart(&dev_, 0, 0, 0, "6", "54M", "A", 30, 30, 0, 0));
        counters("mp_query during TX");
        counters("mp_query during TX, again");
        call("TxStop", api_.TxStop(&dev_));
        call("RxStart", api_.RxStart(&dev_, 0, 0, "6", "A"));
        receive_counters("RxQuery");
        receive_counters("RxQuery, again");
        call("RxResetCounter", api_.RxResetCounter(&dev_));
        receive_counters("RxQuery after the reset");
        call("RxStop", api_.RxStop(&dev_));
    }

    // A parameter the board lacks, then set and read: one line with two
    // answers. A register written and read, the chip facts.
    void flash_and_registers() {
        const std::string name = "E2E_PLAN_" + transport_;
        static char value[16384];
        std::memset(value, 0, sizeof value);
        call("FlashGet before FlashSet", api_.FlashGet(&dev_, name.c_str(), value), MPDLL_E_REPLY);
        call("FlashSet", api_.FlashSet(&dev_, name.c_str(), "0a0b0c"));
        std::memset(value, 0, sizeof value);
        const int32_t read = api_.FlashGet(&dev_, name.c_str(), value);
        call("FlashGet", read, MPDLL_OK, value);
        ledger_.check(std::string(value) == "0a0b0c", transport_ + " plan: the flash value read back", value);

        call("RegisterSet", api_.RegisterSet(&dev_, 1, 40, 0x0BADCAFEu));
        uint32_t reg = 0;
        const int32_t regRead = api_.RegisterGet(&dev_, 1, 40, &reg);
        call("RegisterGet", regRead, MPDLL_OK, std::to_string(reg));
        ledger_.check(reg == 0x0BADCAFEu, transport_ + " plan: the register read back", std::to_string(reg));

        static char text[16384];
        std::memset(text, 0, sizeof text);
        const int32_t version = api_.GetChipVersion(&dev_, text);
        call("GetChipVersion", version, MPDLL_OK, text);
        std::memset(text, 0, sizeof text);
        const int32_t support = api_.GetHwSupport(&dev_, text);
        call("GetHwSupport", support, MPDLL_OK, text);
    }

    // A raw line with the prompt kept, and the transcript of it: the bytes
    // as the board wrote them.
    void raw_line() {
        static char response[4096];
        std::memset(response, 0, sizeof response);
        const int32_t sentLine = api_.SendCommand(&dev_, "flash get XCAP", response, sizeof response, 1, 0);
        call("SendCommand flash get XCAP", sentLine, MPDLL_OK, visible(response));
        char sent[2048];
        static char received[16384];
        const int32_t copied = api_.GetBuffer(&dev_, sent, sizeof sent, received, sizeof received);
        call("GetBuffer", copied, MPDLL_OK, visible(sent) + " | " + visible(received));
    }

    // Checks the status and prints the call's PLAN line (the values read
    // once the call returned).
    void call(const std::string& what, int32_t status, int32_t expected = MPDLL_OK, const std::string& values = "") {
        ledger_.check(status == expected, transport_ + " plan: " + what,
                      "status " + std::to_string(status) + ", expected " + std::to_string(expected));
        std::printf("PLAN %s %s: %d%s%s\n", transport_.c_str(), what.c_str(), static_cast<int>(status),
                    values.empty() ? "" : " ", values.c_str());
        std::fflush(stdout);
    }

  private:
    void counters(const std::string& what) {
        int32_t txOk = -1, txFail = -1, rxOk = -1, crcError = -1;
        const int32_t status = api_.mp_query(&dev_, &txOk, &txFail, &rxOk, &crcError);
        call(what, status, MPDLL_OK,
             std::to_string(txOk) + "/" + std::to_string(txFail) + "/" + std::to_string(rxOk) + "/" +
                 std::to_string(crcError));
    }

    void receive_counters(const std::string& what) {
        int32_t rxOk = -1, crcError = -1;
        const int32_t status = api_.RxQuery(&dev_, &rxOk, &crcError);
        call(what, status, MPDLL_OK, std::to_string(rxOk) + "/" + std::to_string(crcError));
    }

    const Api& api_;
    DevContext& dev_;
    Ledger& ledger_;
    const std::string transport_;
};

void run_plan(const Api& api, DevContext& dev, Ledger& ledger, const std::string& transport, uint32_t mode) {
    PlanRun run(api, dev, ledger, transport);
    const int32_t opened = api.OpenDev(&dev);
    run.call("OpenDev", opened);
    if (opened != MPDLL_OK) return;
    run.radio();
    run.flash_and_registers();
    run.raw_line();
    run.call("CloseDev", api.CloseDev(&dev, mode));
}

}  // namespace

void recorded_plan(const Api& api, const Peers& peers, Ledger& ledger) {
    DevContext* dev = new_record();
    dev->mode = MPDLL_MODE_TELNET;
    fill(dev->ipText, peers.telnet);
    fill(dev->userName, "root");
    fill(dev->password, "root");
    run_plan(api, *dev, ledger, "telnet", MPDLL_MODE_TELNET);
    free_record(dev);

    if (peers.serialPort.empty()) return;
    dev = new_record();
    dev->mode = MPDLL_MODE_SERIAL;
    dev->portName = peers.serialPort.c_str();
    set_serial_line(*dev);
    run_plan(api, *dev, ledger, "serial", MPDLL_MODE_SERIAL);
    free_record(dev);
}

}  // namespace e2e
