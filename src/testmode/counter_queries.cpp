// The counter and sensor queries: packet counters, thermal meter and TSSI,
// each scanned out of the board's answer in the form of its connection mode.
// Once the command ran the mode is one of the three: UDP has its own reply
// form, telnet and serial share the normal form.
#include "commands/command_catalogue.h"
#include "commands/response_scan.h"
#include "testmode/command_runner.h"

using namespace mpdll::commands;
using mpdll::scan::scan;
using mpdll::scan::Target;

namespace {

// The thermal meter settles before it is read.
constexpr int32_t kThermalWait = 1000;

int32_t status_of(bool read) noexcept { return read ? MPDLL_OK : MPDLL_E_REPLY; }

// "label:number" in the normal form, the label dropped.
bool read_labelled_number(const Response& response, const char* format, int32_t* value) noexcept {
    Response normal;
    const Target targets[] = {Target::skip(), Target::number(value)};
    return scan(normal_form(response, normal), format, targets) == 2;
}

}  // namespace

// The counters come in argument order: TXOK, TXFAIL, RXOK, CRCERROR. Each is
// written as it is read, also when a later one fails.
MPDLL_API int32_t MPDLL_CALL mp_query(DevContext* dev, int32_t* txOk, int32_t* txFail, int32_t* rxOk, int32_t* crcError) MPDLL_NOEXCEPT {
    if (dev == nullptr || txOk == nullptr || txFail == nullptr || rxOk == nullptr || crcError == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    Response response;
    if (const int32_t status = mpdll::testmode::run_command(*dev, kMpQuery, {}, response); status != MPDLL_OK) {
        return status;
    }
    const Target counters[] = {Target::number(txOk), Target::number(txFail), Target::number(rxOk),
                               Target::number(crcError)};
    if (dev->mode == MPDLL_MODE_UDP) {
        return status_of(scan(response_text(response), "Tx OK:%d, Tx Fail:%d, Rx OK:%d, CRC error:%d", counters) == 4);
    }
    Response normal;
    const std::string_view text = normal_form(response, normal);
    const Target withPrefix[] = {Target::skip(), counters[0], counters[1], counters[2], counters[3]};
    if (scan(text, "%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", withPrefix) == 5) return MPDLL_OK;
    return status_of(scan(text, "TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", counters) == 4);
}

// Over UDP the board only acknowledges: the reply must hold "ok", and the
// output is not written.
MPDLL_API int32_t MPDLL_CALL mp_ther(DevContext* dev, int32_t* thermal) MPDLL_NOEXCEPT {
    if (dev == nullptr || thermal == nullptr) return MPDLL_E_ARGUMENT;
    Response response;
    if (const int32_t status = mpdll::testmode::run_command(*dev, kMpTher, {}, response, kThermalWait);
        status != MPDLL_OK) {
        return status;
    }
    if (dev->mode == MPDLL_MODE_UDP) return IsBufferOk(response.data());
    return status_of(read_labelled_number(response, "%[^:]:%d", thermal));
}

// Telnet answers in the same form as the serial console and is read the same way.
MPDLL_API int32_t MPDLL_CALL mp_tssi(DevContext* dev, int32_t* tssi) MPDLL_NOEXCEPT {
    if (dev == nullptr || tssi == nullptr) return MPDLL_E_ARGUMENT;
    Response response;
    if (const int32_t status = mpdll::testmode::run_command(*dev, kMpTssi, {}, response); status != MPDLL_OK) {
        return status;
    }
    if (dev->mode == MPDLL_MODE_UDP) {
        const Target value[] = {Target::number(tssi)};
        return status_of(scan(response_text(response), "%d ", value) == 1);
    }
    return status_of(read_labelled_number(response, "%[^:]:%d ", tssi));
}
