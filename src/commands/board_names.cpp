// Reading the board's names from the context and putting them into command
// texts (see board_names.h).
#include "commands/board_names.h"

#include <array>

#include "text/buffer_sizes.h"
#include "text/text_characters.h"

namespace mpdll::commands {
namespace {

void upper_case_in_place(std::span<char> field) noexcept {
    for (char& c : field) {
        if (c == '\0') return;
        c = upper_case(c);
    }
}

// The text with the first occurrence of `word` replaced by `name`, into out.
bool replace_first(std::string_view text, std::string_view word, std::string_view name, std::span<char> out) noexcept {
    TextComposer result(out);
    const std::size_t at = text.find(word);
    if (at == std::string_view::npos) {
        result.append(text);
    } else {
        result.append(text.substr(0, at));
        result.append(name);
        result.append(text.substr(at + word.size()));
    }
    return result.fits();
}

}  // namespace

BoardNames board_names(const DevContext& dev) noexcept {
    const std::string_view ifName = field_text(dev.ifName);
    const std::string_view tool = field_text(dev.toolPath);
    return {ifName.empty() ? kDefaultIfName : ifName, tool.empty() ? kDefaultTool : tool};
}

bool upper_case_chip_model(DevContext& dev) noexcept {
    upper_case_in_place(dev.chipModel);
    return field_text(dev.chipModel) == kNoFilterReportModel;
}

bool put_board_names(DevContext& dev, std::string_view text, std::span<char> out) noexcept {
    if (out.empty()) return false;
    if (out.size() > kCommandSize) out = out.first(kCommandSize);
    upper_case_chip_model(dev);
    const BoardNames names = board_names(dev);
    // The tool word may still shorten the text by up to its own length, so
    // the middle step keeps that much more than the result may hold.
    std::array<char, kCommandSize + kDefaultTool.size()> withIfName{};
    const bool ifNameFits = replace_first(text, kDefaultIfName, names.ifName,
                                          std::span(withIfName).first(out.size() + kDefaultTool.size()));
    const bool toolFits =
        replace_first(text_within(withIfName.data(), withIfName.size()), kDefaultTool, names.tool, out);
    return ifNameFits && toolFits;
}

}  // namespace mpdll::commands
