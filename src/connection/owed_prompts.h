// The prompts a board still owes a record: one for every line whose receive
// ended without its prompt (the window or the time limit ran out first).
// The late answer to such a line, when it comes, ends with that prompt; the
// next exchange passes over the prompts owed before the one that ends its
// own answer, and drops the text up to them, so a late answer is never
// taken as the answer to the next line.
#pragma once

#include <cstddef>

#include "mpdll/mpdll.h"

namespace mpdll::owed_prompts {

// More than this many late answers are not waited for.
inline constexpr std::size_t kMost = 4;

std::size_t of(const DevContext& dev) noexcept;
// Stores count (at most kMost) for the record.
void set(const DevContext& dev, std::size_t count) noexcept;
// A record that opens or closes owes nothing.
void forget(const DevContext& dev) noexcept;

}  // namespace mpdll::owed_prompts
