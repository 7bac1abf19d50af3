// The shared command wrapper (see command_runner.h).
#include "testmode/command_runner.h"

#include <array>

#include "commands/command_line.h"
#include "text/bounded_text.h"

namespace mpdll::testmode {

std::string_view text_argument(const char* text) noexcept { return text_within(text, kCommandSize); }

std::int32_t run_command(DevContext& dev, std::uint32_t id, std::initializer_list<commands::LineArg> args,
                         const commands::Query& query, commands::Response& response) noexcept {
    std::array<char, kCommandSize> line{};
    if (const std::int32_t status = commands::compose_command(dev, id, args, line); status != MPDLL_OK) {
        return status;
    }
    return commands::run_query(dev, line.data(), query, response);
}

std::int32_t run_setting(DevContext* dev, std::uint32_t id, std::initializer_list<commands::LineArg> args) noexcept {
    if (dev == nullptr) return MPDLL_E_ARGUMENT;
    commands::Response response;
    return run_command(*dev, id, args, commands::kSetting, response);
}

std::int32_t run_text_setting(DevContext* dev, std::uint32_t id, const char* text) noexcept {
    if (text == nullptr) return MPDLL_E_ARGUMENT;
    return run_setting(dev, id, {text_argument(text)});
}

}  // namespace mpdll::testmode
