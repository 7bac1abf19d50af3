// The chip capability queries: the radio's MIMO support and the chip version,
// read from the driver's mib_rf file under /proc and handed back as text.
#include <array>
#include <cstring>
#include <span>

#include "commands/board_names.h"
#include "commands/board_query.h"
#include "commands/line_format.h"

using namespace mpdll::commands;
using mpdll::scan::Target;

namespace {

struct CapabilityQuery {
    const char* command;     // %s: the context's interface name, as it is
    const char* udpForm;     // the "flash read" reply
    const char* normalForm;  // the telnet and serial response, normalised
    bool labelBeforeValue;   // normalForm reads a label first
};

constexpr CapabilityQuery kHwSupport{"cat /proc/%s/mib_rf | grep MIMO_TR_hw_support",
                                     "data:    MIMO_TR_hw_support:%s\a", "%[^:]:%s", true};
constexpr CapabilityQuery kChipVersion{"cat /proc/%s/mib_rf | grep chipVersion", "data:    chipVersion:%s\a",
                                       "CHIPVERSION:%s", false};

// Runs the query and copies the value into valueOut only once it was read.
int32_t read_capability(DevContext* dev, const CapabilityQuery& query, char* valueOut) noexcept {
    if (dev == nullptr || valueOut == nullptr) return MPDLL_E_ARGUMENT;
    std::array<char, mpdll::kCommandSize> line{};
    format_line(line, query.command, {mpdll::field_text(dev->ifName)});  // a 50-byte name always fits
    Response value{};
    // The board closes the fetched UDP output with a BEL that must stay out
    // of the value.
    const Target valueUntilBel[] = {Target::into_until_bel(value)};
    const Target labelAndValue[] = {Target::skip(), Target::into(value)};
    const Query read{
        .udp = {.format = query.udpForm, .targets = valueUntilBel},
        .shell = {.format = query.normalForm,
                  .targets = std::span<const Target>(labelAndValue).subspan(query.labelBeforeValue ? 0 : 1)},
        .shellInNormalForm = true,
        .fetchedOverUdp = true,
    };
    Response response;
    if (const int32_t status = run_query(*dev, line.data(), read, response); status != MPDLL_OK) return status;
    const std::string_view text = response_text(value);
    std::memcpy(valueOut, text.data(), text.size());
    valueOut[text.size()] = '\0';
    return MPDLL_OK;
}

}  // namespace

// supportText: room for the value and its terminator, at most 16384 bytes.
MPDLL_API int32_t MPDLL_CALL GetHwSupport(DevContext* dev, char* supportText) MPDLL_NOEXCEPT {
    return read_capability(dev, kHwSupport, supportText);
}

// versionText: room for the value and its terminator, at most 16384 bytes.
MPDLL_API int32_t MPDLL_CALL GetChipVersion(DevContext* dev, char* versionText) MPDLL_NOEXCEPT {
    return read_capability(dev, kChipVersion, versionText);
}
