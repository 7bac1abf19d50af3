// The counter and sensor queries: packet counters, thermal meter and TSSI,
// each scanned out of the board's answer in the form of its connection mode:
// UDP has its own reply form, telnet and serial share the normal form.
#include "commands/board_query.h"
#include "commands/command_catalogue.h"
#include "commands/response_scan.h"
#include "testmode/command_runner.h"

using namespace mpdll::commands;
using mpdll::scan::Target;

namespace {

// The thermal meter settles before it is read.
constexpr int32_t kThermalWait = 1000;

}  // namespace

// The counters come in argument order: TXOK, TXFAIL, RXOK, CRCERROR. Each is
// written as it is read, also when a later one fails. The normal form may
// carry a label before the counters.
MPDLL_API int32_t MPDLL_CALL mp_query(DevContext* dev, int32_t* txOk, int32_t* txFail, int32_t* rxOk,
                                      int32_t* crcError) MPDLL_NOEXCEPT {
    if (dev == nullptr || txOk == nullptr || txFail == nullptr || rxOk == nullptr || crcError == nullptr) {
        return MPDLL_E_ARGUMENT;
    }
    const Target counters[] = {Target::number(txOk), Target::number(txFail), Target::number(rxOk),
                               Target::number(crcError)};
    const Target labelAndCounters[] = {Target::skip(), counters[0], counters[1], counters[2], counters[3]};
    const AnswerRead unlabelled{.format = "TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d", .targets = counters};
    const Query query{
        .udp = {.format = "Tx OK:%d, Tx Fail:%d, Rx OK:%d, CRC error:%d", .targets = counters},
        .shell = {.format = "%[^:]:TXOK:%d,TXFAIL:%d,RXOK:%d,CRCERROR:%d",
                  .targets = labelAndCounters,
                  .otherwise = &unlabelled},
        .shellInNormalForm = true,
    };
    Response response;
    return mpdll::testmode::run_command(*dev, kMpQuery, {}, query, response);
}

// Over UDP the board only acknowledges: the reply must hold "ok", and the
// output is not written.
MPDLL_API int32_t MPDLL_CALL mp_ther(DevContext* dev, int32_t* thermal) MPDLL_NOEXCEPT {
    if (dev == nullptr || thermal == nullptr) return MPDLL_E_ARGUMENT;
    const Target labelAndValue[] = {Target::skip(), Target::number(thermal)};
    const Query query{
        .udp = kHoldsOk,
        .shell = {.format = "%[^:]:%d", .targets = labelAndValue},
        .shellInNormalForm = true,
        .wait = kThermalWait,
    };
    Response response;
    return mpdll::testmode::run_command(*dev, kMpTher, {}, query, response);
}

// Telnet answers in the same form as the serial console and is read the same way.
MPDLL_API int32_t MPDLL_CALL mp_tssi(DevContext* dev, int32_t* tssi) MPDLL_NOEXCEPT {
    if (dev == nullptr || tssi == nullptr) return MPDLL_E_ARGUMENT;
    const Target value[] = {Target::number(tssi)};
    const Target labelAndValue[] = {Target::skip(), value[0]};
    const Query query{
        .udp = {.format = "%d ", .targets = value},
        .shell = {.format = "%[^:]:%d ", .targets = labelAndValue},
        .shellInNormalForm = true,
    };
    Response response;
    return mpdll::testmode::run_command(*dev, kMpTssi, {}, query, response);
}
