// ConsoleState: the console layer's one record of handles, window, cursors,
// text attribute, screen size and keyboard state. Columns and rows count from
// 1 in this layer, absolute on the screen buffer; the one exception is the
// console's own cursor, kept as the console counts it, from 0.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace console {

struct ConsoleState {
  platform::Handle outputHandle;  // every cell write, scroll and cursor move goes here
  platform::Handle inputHandle;   // the console input, handed to the standard input stream
  int32_t windowLeft;             // top-left cell of the window
  int32_t windowTop;
  int32_t windowRight;  // bottom-right cell of the window, inclusive
  int32_t windowBottom;
  int32_t cursorColumn;  // where the console's cursor was last put: the exception, from 0
  int32_t cursorRow;
  int32_t workColumn;  // the work cursor, during one output or line-input call
  int32_t workRow;
  uint8_t textAttribute;  // of every cell written or blanked; never changed after start-up
  int32_t screenWidth;    // columns and rows of the screen buffer, measured once at start-up
  int32_t screenHeight;
  bool ntPlatform;       // the platform identifier is 2: ClearWindow scrolls once
  bool extendedPending;  // keyboard: the next key read yields 0, then pendingKey
  uint8_t pendingKey;    // keyboard: character or extended code waiting, 0 for none
  bool altCodeActive;    // keyboard: a character code is being typed on the pad with Alt held
  uint8_t altCodeValue;  // keyboard: the code typed so far, modulo 256
  bool inputEnded;       // keyboard: redirected standard input has ended; no key will come
};

extern ConsoleState consoleState;

}  // namespace console
