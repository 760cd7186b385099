// Code page 437, the console's character set, against Unicode: the glyph of
// every byte for display (the control codes as their pictographs) and the
// byte of a typed character.
#pragma once

#include <cstdint>

namespace platform {

// The Unicode code point shown for a byte: 0 shows as a space, 1 to 31 and 127
// as the console's pictographs, 255 as a no-break space.
uint32_t Cp437Glyph(uint8_t byte);

// Writes the UTF-8 form of a byte's glyph into `out` (room for 4 bytes) and
// returns its length.
int Cp437GlyphUtf8(uint8_t byte, char* out);

// The byte of a typed character: code points below 128 stand for themselves,
// the others map to 128..255 where code page 437 has them; -1 where it has none.
int UnicodeToCp437(uint32_t codePoint);

}  // namespace platform
