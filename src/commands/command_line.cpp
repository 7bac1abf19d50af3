// Command lines and words from the catalogue (see command_line.h).
#include "commands/command_line.h"

#include <array>

#include "commands/board_names.h"
#include "commands/command_catalogue.h"

namespace mpdll::commands {

std::int32_t compose_command(DevContext& dev, std::uint32_t id, std::initializer_list<LineArg> args,
                             CommandBuffer line) noexcept {
    const auto templateText = catalogue_text(id, upper_case_chip_model(dev));
    if (!templateText) return MPDLL_E_COMMAND_ID;
    std::array<char, kCommandSize + kNamesSlack> filled{};
    if (!format_line(filled, *templateText, args)) return MPDLL_E_ARGUMENT;
    if (!put_board_names(dev, text_within(filled.data(), filled.size()), line)) return MPDLL_E_ARGUMENT;
    return MPDLL_OK;
}

std::int32_t compose_word(std::uint32_t id, std::initializer_list<LineArg> args, CommandBuffer word) noexcept {
    const auto templateText = catalogue_text(id, false);
    if (!templateText) return MPDLL_E_COMMAND_ID;
    return format_line(word, *templateText, args) ? MPDLL_OK : MPDLL_E_ARGUMENT;
}

}  // namespace mpdll::commands
