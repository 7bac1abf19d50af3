// Starting and stopping the driver's thermal power tracking through mp_pwrtrk.
#include <array>

#include "commands/command_catalogue.h"
#include "commands/command_line.h"
#include "mpdll/mpdll.h"

using namespace mpdll::commands;

namespace {

// The driver takes a thermal reference only in this range; any other value
// starts tracking with its own.
constexpr int32_t kLowestThermal = 7;
constexpr int32_t kHighestThermal = 29;

int32_t send_word(DevContext* dev, std::uint32_t wordId, std::initializer_list<LineArg> args) noexcept {
    std::array<char, mpdll::kCommandSize> word{};
    compose_word(wordId, args, word);  // a fixed word or a number always fits
    return mp_pwrtrk(dev, word.data());
}

}  // namespace

MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_start(DevContext* dev, int32_t thermal) MPDLL_NOEXCEPT {
    if (thermal >= kLowestThermal && thermal <= kHighestThermal) return send_word(dev, kPwrtrkTher, {thermal});
    return send_word(dev, kPwrtrkStart, {});
}

MPDLL_API int32_t MPDLL_CALL mp_pwrtrk_stop(DevContext* dev) MPDLL_NOEXCEPT { return send_word(dev, kPwrtrkStop, {}); }
