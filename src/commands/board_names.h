// The board's own names for the test tool and the wireless interface, and
// putting them into a command text in place of "iwpriv" and "wlan0".
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "mpdll/mpdll.h"
#include "text/bounded_text.h"

namespace mpdll::commands {

inline constexpr std::string_view kDefaultIfName = "wlan0";
inline constexpr std::string_view kDefaultTool = "iwpriv";
// The chip model whose receive filter has no report (command 33).
inline constexpr std::string_view kNoFilterReportModel = "MXR4700LA";
// A template longer than a command line by at most this much may still make
// a line once shorter names are put in.
inline constexpr std::size_t kNamesSlack = kDefaultIfName.size() + kDefaultTool.size();

struct BoardNames {
    std::string_view ifName;  // the context's, or "wlan0" when not set
    std::string_view tool;    // the context's, or "iwpriv" when not set
};

// The names the record holds, each with its default when not set.
BoardNames board_names(const DevContext& dev) noexcept;

// Upper-cases chipModel in place (a lasting change to the caller's record),
// as every command text does before it reads the model. True when it then
// names the model without a filter report; false for any other and for none.
bool upper_case_chip_model(DevContext& dev) noexcept;

// Writes text into out with the first "wlan0" replaced by the context's
// interface name and then the first "iwpriv" by its tool word (each only when
// the field is set), and a terminator. The result is at most
// min(out.size(), 2048) - 1 characters. Returns false when it had to be cut;
// out then holds as much as fits, terminated. Upper-cases chipModel
// (upper_case_chip_model).
bool put_board_names(DevContext& dev, std::string_view text, std::span<char> out) noexcept;

}  // namespace mpdll::commands
