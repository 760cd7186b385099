// The failure report: the error number and code address, then the chain of
// return addresses from the failing function outward.
#pragma once

#include <cstdint>

#include "runtime/short_text.h"
#include "runtime/text_stream.h"

namespace runtime {

// Frames followed on a character device before the back-trace stops (one more
// line than this is written: the count is compared after it has passed).
inline constexpr uint16_t traceDepthLimit = 8;
// Frames followed at most when the report goes to a file or a pipe.
inline constexpr uint16_t traceDepthMaximum = 256;

// Exactly `digits` upper-case hexadecimal digits of value, most significant
// first, zero-padded (at most 16).
void HexDigits(uintptr_t value, int digits, ShortText<16>& text);

// Two spaces, "0x" and eight hexadecimal digits of the address.
void FrameLine(TextStream& stream, uintptr_t address);

// One line per saved return address, from `frame` outward, for as long as the
// chain climbs inside the main thread's stack.
void DumpFrames(TextStream& stream, uintptr_t frame);

// The whole report on the report stream, from the recorded failure.
void WriteFailureReport();

}  // namespace runtime
