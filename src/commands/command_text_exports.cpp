// The command text builder's exports: the board's names, name substitution
// and catalogue look-up for the test program.
#include <array>

#include "commands/board_names.h"
#include "commands/command_catalogue.h"
#include "text/buffer_sizes.h"

using mpdll::kCommandSize;
using namespace mpdll::commands;

namespace {

// Writes the characters of text to out, without a terminator.
void write_characters(std::string_view text, char* out) noexcept {
    for (std::size_t i = 0; i < text.size(); ++i) out[i] = text[i];
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL mp_command_d2s(DevContext* dev, char* ifNameOut, char* toolNameOut,
                                            int32_t* chipFlag) MPDLL_NOEXCEPT {
    if (!dev || !ifNameOut || !toolNameOut || !chipFlag) return MPDLL_E_ARGUMENT;
    const bool noFilterReport = upper_case_chip_model(*dev);
    if (!mpdll::field_text(dev->chipModel).empty()) *chipFlag = noFilterReport ? 1 : 0;  // left alone without a model
    const BoardNames names = board_names(*dev);
    write_characters(names.ifName, ifNameOut);
    write_characters(names.tool, toolNameOut);
    return MPDLL_OK;
}

// out: at least 2048 bytes. A result longer than 2047 characters is cut
// there; out always receives a terminator.
MPDLL_API int32_t MPDLL_CALL mp_command_s2s(DevContext* dev, const char* text, char* out) MPDLL_NOEXCEPT {
    if (!dev || !text || !out) return MPDLL_E_ARGUMENT;
    put_board_names(*dev, mpdll::text_within(text, kCommandSize + kNamesSlack), std::span<char>(out, kCommandSize));
    return MPDLL_OK;
}

MPDLL_API int32_t MPDLL_CALL mp_command_c2s(DevContext* dev, uint32_t commandId, char* out,
                                            int32_t raw) MPDLL_NOEXCEPT {
    if (!dev || !out) return MPDLL_E_ARGUMENT;
    const auto templateText = catalogue_text(commandId, upper_case_chip_model(*dev));
    if (!templateText) return MPDLL_E_COMMAND_ID;
    if ((raw & 0xff) != 0) {
        write_characters(*templateText, out);
    } else {
        put_board_names(*dev, *templateText, std::span<char>(out, kCommandSize));
    }
    return MPDLL_OK;
}
