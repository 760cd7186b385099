// The keyboard reader: console key events (PendingInputEvents, ReadInputEvent)
// turned into one-byte key codes. A key with a character is that character;
// any other key is 0, then its extended code. Characters typed as decimal codes
// on the numeric pad with Alt held arrive when Alt comes up.
#pragma once

#include <cstdint>

namespace console {

// Never blocks: true when a key code is waiting, taking at most one key event
// (and every event before it that yields nothing) from the console. The end of
// redirected standard input is noted in inputEnded, not acted on.
bool KeyAvailable();

// Waits for the next key code and returns it, without echo. The second byte of
// an extended key waits for whichever reader asks next. Ends the program, as
// its normal end with exit code 0, once redirected standard input has ended
// with no key left: nothing could ever end the wait.
uint8_t WaitKey();

// The extended code of a key from its scan code, modifier bits and virtual-key
// code; with Alt held it also takes numeric-pad digits into the Alt code entry
// (IsAltCodeDigit), the one place where a digit is counted.
uint8_t ExtendedKeyCode(uint16_t scanCode, uint32_t controlKeyState, uint16_t virtualKeyCode);

}  // namespace console
