// The command wrapper every test-mode command shares: compose the line of a
// catalogue command, run it, and turn the outcome into a status.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string_view>

#include "commands/board_exchange.h"
#include "commands/board_query.h"
#include "commands/line_format.h"
#include "mpdll/mpdll.h"

namespace mpdll::testmode {

// A caller's text argument, read up to its terminator but never further than
// a command line could hold (a longer text cannot fit and is refused later).
std::string_view text_argument(const char* text) noexcept;

// Composes command `id` with `args` and runs it as `query` (commands::run_query),
// leaving the response in `response`. Returns the composition's failure
// (MPDLL_E_COMMAND_ID, MPDLL_E_ARGUMENT: nothing sent) or run_query's status.
std::int32_t run_command(DevContext& dev, std::uint32_t id, std::initializer_list<commands::LineArg> args,
                         const commands::Query& query, commands::Response& response) noexcept;

// A setting command: run_command as commands::kSetting (UDP needs the
// lower-case "ok" in the raw reply). A null dev is MPDLL_E_ARGUMENT.
std::int32_t run_setting(DevContext* dev, std::uint32_t id, std::initializer_list<commands::LineArg> args) noexcept;

// The same with one text argument; a null text is MPDLL_E_ARGUMENT.
std::int32_t run_text_setting(DevContext* dev, std::uint32_t id, const char* text) noexcept;

}  // namespace mpdll::testmode
