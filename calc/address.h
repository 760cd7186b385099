// Dotted address text to 32-bit values, and the mask check. Nothing here
// prints; what is wrong is recorded in the task's input error code.
#pragma once

#include <cstdint>

#include "runtime/short_text.h"

namespace calc {

// The task's input error code: 0 none, 1 a component above 255, 2 a mask whose
// one-bits are not one run, 3 both. The task driver resets it for every task.
extern uint8_t inputErrorCode;

inline constexpr uint8_t errorComponentRange = 1;     // assigned by OctetValue
inline constexpr uint8_t errorMaskNotContiguous = 2;  // added by CheckMask

// A component's text: only its first three characters count.
using OctetText = runtime::ShortText<3>;

// The value of one component: its digits in order, every other character
// skipped; above 255 it sets the error code to 1 and counts as 0.
uint8_t OctetValue(const OctetText& text);

// The value of a whole dotted text in which every component, the last
// included, ends with "."; each component shifts the value left by 8 bits.
uint32_t ParseDottedAddress(runtime::TextRef text);

// A typed line of the address or the mask: only its first 16 characters count.
inline constexpr int lineMaximum = 16;
using LineText = runtime::ShortText<lineMaximum>;

// The value of a typed line: the line with "." appended, so that every
// component ends with a dot, through ParseDottedAddress.
uint32_t ParseLine(const LineText& line);

// True when the mask's one-bits form a single run, wherever it lies (a mask
// of 0 passes).
bool IsOneRun(uint32_t mask);

// Adds 2 to the error code unless IsOneRun(mask).
void CheckMask(uint32_t mask);

}  // namespace calc
