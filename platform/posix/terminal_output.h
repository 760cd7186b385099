// The renderer's control bytes, built before they are sent so their costs
// compare: cursor moves (CUP, CUF / CUB / CUU / CUD, CR), SGR colours, EL, ED,
// DECSTBM and LF. Pure code: nothing is sent.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace platform::posix {

inline constexpr uint8_t plainAttribute = 0x07;  // shown in the terminal's default colours

// The bytes of one or more control functions.
struct ControlBytes {
  char bytes[32];  // room for the longest: CSI 32767;32767H is 14 bytes
  int length;
};

// The shortest way from `from` to `to` (terminal cells from 0): CUP when `from`
// is not known, else whichever of CUP and the relative moves is shortest; empty
// when already there.
ControlBytes CursorMove(Coord from, bool fromKnown, Coord to);

// SGR from the terminal's current attribute (or attributeUnknown, renderer.h) to `to`.
// Only colours are ever set, so between two explicit attributes the half that
// did not change can stay.
ControlBytes AttributeChange(int16_t from, uint8_t to);

// EL: from the cursor to the line's end, in the current background.
ControlBytes EraseLineEnd();

// CUP home, then ED of the whole display in the current background.
ControlBytes HomeAndEraseDisplay();

// DECSTBM: the scroll region is rows 1 .. `rows`. Homes the cursor, though
// terminals disagree on where home is.
ControlBytes ScrollRegion(int rows);

// DECSTBM with no rows: the scroll region is the whole terminal again.
ControlBytes FullScrollRegion();

ControlBytes LineFeed();

}  // namespace platform::posix
