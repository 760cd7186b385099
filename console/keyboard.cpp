// KeyAvailable and WaitKey: console input events turned into key codes one
// event at a time, a pause before every check (until input, unless a key is
// held), and the pending second byte shared by every reader.
#include "console/keyboard.h"

#include "console/console_state.h"
#include "console/key_codes.h"
#include "runtime/program.h"
#include "runtime/text_stream.h"

namespace console {

namespace {

ConsoleState& state = consoleState;

// Shift, Ctrl, Alt, Caps Lock, Num Lock and Scroll Lock yield nothing.
bool YieldsNothing(uint16_t virtualKeyCode) {
  constexpr uint16_t silent[] = {0x10, 0x11, vkAlt, 0x14, 0x90, 0x91};
  for (uint16_t key : silent) {
    if (virtualKeyCode == key) return true;
  }
  return false;
}

void StoreKey(uint8_t code, bool extended) {
  state.extendedPending = extended;
  state.pendingKey = code;
}

// A key that went down; true when it counts as a key code.
bool ClassifyKeyDown(const platform::InputEvent& event) {
  if (YieldsNothing(event.virtualKeyCode)) return false;
  const uint32_t modifiers = event.controlKeyState;
  if (event.asciiChar != 0 && !(modifiers & (platform::leftAltPressed | platform::enhancedKey))) {
    StoreKey(event.asciiChar, false);
  } else if (event.asciiChar == keyEnter && event.virtualKeyCode == vkEnter) {
    StoreKey(keyEnter, false);
  } else {
    StoreKey(ExtendedKeyCode(event.virtualScanCode, modifiers, event.virtualKeyCode), true);
  }
  if (IsAltCodeDigit(modifiers, event.virtualKeyCode)) {
    StoreKey(0, false);  // taken back: ExtendedKeyCode has counted the digit
    return false;
  }
  return true;
}

// Alt coming up ends an Alt code entry with a value above 0: the value is
// delivered like an ordinary key.
bool FinishAltCode(const platform::InputEvent& event) {
  if (event.virtualKeyCode != vkAlt || !state.altCodeActive || state.altCodeValue == 0) {
    return false;
  }
  state.pendingKey = state.altCodeValue;
  state.altCodeActive = false;
  state.altCodeValue = 0;
  return true;
}

}  // namespace

bool KeyAvailable() {
  if (state.pendingKey != 0) return true;
  const platform::Handle input = runtime::standardInput.handle;
  while (platform::PendingInputEvents(input) > 0) {
    platform::InputEvent event;
    platform::ReadInputEvent(input, event);
    if (event.eventType == platform::endOfInputEvent) state.inputEnded = true;
    if (event.eventType != platform::keyEvent) continue;
    if (event.keyDown ? ClassifyKeyDown(event) : FinishAltCode(event)) return true;
  }
  return false;
}

uint8_t WaitKey() {
  for (;;) {
    // A reader holding the second byte of an extended key pauses for a
    // moment; one holding nothing can only be given a key by input.
    const uint32_t pause = state.pendingKey != 0 ? 1 : platform::untilInput;
    platform::PauseForInput(runtime::standardInput.handle, pause);
    if (KeyAvailable()) break;
    // Redirected input has ended and no key will ever come: the normal end.
    if (state.inputEnded) runtime::ExitProgram();
  }
  if (state.extendedPending) {
    state.extendedPending = false;
    return 0;
  }
  const uint8_t key = state.pendingKey;
  state.pendingKey = 0;
  return key;
}

}  // namespace console
