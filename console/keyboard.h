// The keyboard reader: console key events turned into one-byte key codes. A
// key with a character is that character; any other key is 0, then its
// extended code.
#pragma once

#include <cstdint>

namespace console {

// Waits for the next key code and returns it, without echo.
uint8_t WaitKey();

}  // namespace console
