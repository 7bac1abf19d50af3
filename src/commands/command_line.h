// Composing the command line of a catalogue command for the board at hand.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "commands/line_format.h"
#include "mpdll/mpdll.h"
#include "text/buffer_sizes.h"

namespace mpdll::commands {

using CommandBuffer = std::span<char, kCommandSize>;

// The line of command `id`: the arguments printed into its catalogue text,
// then the context's interface name and tool word put in (the whole command
// lines begin with "iwpriv wlan0 ", so their first occurrences are always the
// template's own, whatever the arguments hold). Upper-cases chipModel in
// place. Returns 0; MPDLL_E_COMMAND_ID when `id` is not in the catalogue;
// MPDLL_E_ARGUMENT when the line would be longer than 2047 characters (it
// must then not be sent).
std::int32_t compose_command(DevContext& dev, std::uint32_t id, std::initializer_list<LineArg> args,
                             CommandBuffer line) noexcept;

// An argument word of the catalogue with its arguments printed in, no names
// put in (command 33 always gives "filter_print" here). Same results as
// compose_command.
std::int32_t compose_word(std::uint32_t id, std::initializer_list<LineArg> args, CommandBuffer word) noexcept;

}  // namespace mpdll::commands
