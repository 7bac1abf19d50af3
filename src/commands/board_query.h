// A query: one line run on the board and its answer read in the form the
// connection gives it. This is the one place that tells the forms apart:
// over UDP the board's reply (or the output "flash read" fetched for it) is
// read as it came; telnet and serial answer with the shell's own text, read
// as it came or in its normal form. Once SendCommand ran a line, the record's
// mode is UDP, telnet or serial.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "commands/board_exchange.h"
#include "commands/response_scan.h"
#include "mpdll/mpdll.h"

namespace mpdll::commands {

// How an answer in one form is read. A scan reads it when `text` begins with
// `lead` (compared as it stands, never as a format) and the format fills
// every target from the text after the lead; when it does not, `otherwise`
// (if given) is tried on the same text.
struct AnswerRead {
    enum class Kind { scan, holdsOk, nothing };
    Kind kind = Kind::scan;
    std::string_view format{};
    std::span<const scan::Target> targets{};
    std::string_view lead{};
    const AnswerRead* otherwise = nullptr;
};

// The answer only has to hold the lower-case "ok" (IsBufferOk).
inline constexpr AnswerRead kHoldsOk{AnswerRead::Kind::holdsOk};
// Nothing is read: the completed exchange is the whole outcome.
inline constexpr AnswerRead kNothingRead{AnswerRead::Kind::nothing};

// MPDLL_OK when `read` reads `text`, else MPDLL_E_REPLY.
std::int32_t read_answer(const AnswerRead& read, std::string_view text) noexcept;

// How a query is run and its answer read in each form.
struct Query {
    AnswerRead udp{};                // the UDP reply or fetched output, as it came
    AnswerRead shell{};              // the telnet and serial answer
    bool shellInNormalForm = false;  // the shell text as FormatBuffer gives it
    bool fetchedOverUdp = false;     // the UDP reply only acknowledges (see read_output)
    std::int32_t wait = 0;           // SendCommand's wait; a fetched query waits 0
};

// Runs `line` (with read_output when fetchedOverUdp, else exchange) and reads
// its answer in the form of the record's mode. A failed exchange returns its
// status; the answer read is MPDLL_OK, any other is MPDLL_E_REPLY.
std::int32_t run_query(DevContext& dev, const char* line, const Query& query, Response& response) noexcept;
std::int32_t run_query(DevContext& dev, const TextComposer& line, const Query& query, Response& response) noexcept;

// A command that sets something: over UDP the reply must hold "ok", telnet
// and serial only need the exchange to complete.
inline constexpr Query kSetting{kHoldsOk, kNothingRead};

}  // namespace mpdll::commands
