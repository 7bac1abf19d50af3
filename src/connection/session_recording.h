// MPDLL_RECORD=DIR: one recording per opened record, written as the record's
// events happen, so a test program records its boards without a change.
// Only while the variable is set at OpenDev; otherwise no file is written.
//
// The file is asciicast v2 (JSON lines that terminal-session players show):
// a header line, then [seconds, code, data] per event: "o" bytes from the
// board, "i" bytes to it, "m" a marker ("step NAME", "end EXPORT STATUS",
// "failed STEP: REASON"). Seconds count from the open's start. Every byte is
// kept: a byte that is part of valid UTF-8 stands as that character, any
// other byte b (and every byte of a character U+F700..U+F7FF) as the
// character U+F700 + b; all but printable ASCII is written as \uXXXX.
#pragma once

#include "connection/session_log.h"

namespace mpdll::recording {

// At OpenDev: starts the record's recording when MPDLL_RECORD names a folder
// (one it already has ends first).
void begin(const DevContext& dev) noexcept;
// Writes the event when its record is being recorded.
void write(const session_log::Event& event) noexcept;
// At CloseDev: the record's recording ends.
void end(const DevContext& dev) noexcept;

}  // namespace mpdll::recording
