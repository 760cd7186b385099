// Console input on Win32: the console's own input events, one at a time, with
// a wait on the input handle as the pause (which also lets Wine's console on a
// Unix terminal take in its keys); input that is not a console is read as
// bytes.
#include "platform/win32/console_input.h"

#include "platform/platform.h"
#include "platform/win32/console_output.h"
#include "platform/win32/redirected_input.h"
#include "platform/win32/win32_api.h"

namespace platform {

using win32::NativeHandle;

namespace {

struct InputSource {
  bool known;                   // `handle` has been looked at
  Handle handle;                // the input handle the console layer reads
  bool isConsole;               // events come from the console's input queue
  win32::ByteInput redirected;  // otherwise they are made from the handle's bytes
};

InputSource source;

InputSource& SourceOf(Handle input) {
  if (source.known && source.handle == input) return source;
  DWORD mode = 0;
  source.known = true;
  source.handle = input;
  source.isConsole = GetConsoleMode(NativeHandle(input), &mode) != FALSE;
  if (!source.isConsole) win32::StartByteInput(source.redirected, input);
  return source;
}

// Wine's console on a Unix terminal reports Esc and Ctrl with a letter without
// the character the Windows console gives them (27; 1 to 26).
uint8_t ConsoleCharacter(const InputEvent& event) {
  const uint32_t ctrl = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED;
  const uint32_t alt = LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED;
  const uint16_t key = event.virtualKeyCode;
  if (key == VK_ESCAPE) return 0x1B;
  const bool ctrlLetter =
      (event.controlKeyState & ctrl) && !(event.controlKeyState & alt) && key >= 'A' && key <= 'Z';
  return ctrlLetter ? uint8_t(key - 'A' + 1) : 0;
}

InputEvent EventOf(const INPUT_RECORD& record) {
  InputEvent event = {};
  event.eventType = record.EventType;
  if (record.EventType != KEY_EVENT) return event;
  const KEY_EVENT_RECORD& key = record.Event.KeyEvent;
  event.keyDown = key.bKeyDown != FALSE;
  event.repeatCount = key.wRepeatCount;
  event.virtualKeyCode = key.wVirtualKeyCode;
  event.virtualScanCode = key.wVirtualScanCode;
  event.asciiChar = uint8_t(key.uChar.AsciiChar);
  event.controlKeyState = key.dwControlKeyState;
  if (event.asciiChar == 0) event.asciiChar = ConsoleCharacter(event);
  return event;
}

}  // namespace

// A look that takes nothing; Wine's console starts reading its terminal on it
// (the count of events alone does not).
void win32::StartInput(Handle input) {
  INPUT_RECORD record;
  DWORD count = 0;
  if (SourceOf(input).isConsole) PeekConsoleInputA(NativeHandle(input), &record, 1, &count);
}

// Redirected input announces at most one event at a time. A pipe that cannot
// be peeked (Wine on a Unix pipe) makes the count wait for its writer, which
// only delays the key wait that asks.
uint32_t PendingInputEvents(Handle input) {
  InputSource& from = SourceOf(input);
  if (!from.isConsole) return win32::PrepareByteEvent(from.redirected) ? 1 : 0;
  DWORD count = 0;
  GetNumberOfConsoleInputEvents(NativeHandle(input), &count);
  return count;
}

void ReadInputEvent(Handle input, InputEvent& event) {
  InputSource& from = SourceOf(input);
  if (!from.isConsole) return win32::TakeByteEvent(from.redirected, event);
  INPUT_RECORD record = {};
  DWORD read = 0;
  ReadConsoleInputA(NativeHandle(input), &record, 1, &read);
  event = EventOf(record);
}

namespace {

// True when an event waits: the reader takes it without a pause.
bool EventsWaiting(InputSource& from, Handle input) {
  if (!from.isConsole) return win32::PrepareByteEvent(from.redirected);
  DWORD count = 0;
  return GetNumberOfConsoleInputEvents(NativeHandle(input), &count) && count > 0;
}

}  // namespace

// With events waiting there is no pause and no flush: keys typed ahead are
// answered in one drawing at the next wait. The console's input handle is
// signalled while events wait, so the wait ends as soon as a key comes. A
// reader that holds no key (untilInput) still comes back every few
// milliseconds: under Wine a Ctrl+C that a signal turns into a console control
// event does not always end a program that waits without a limit. A pipe
// cannot be waited on: it is looked at again after a millisecond.
void PauseForInput(Handle input, uint32_t milliseconds) {
  constexpr DWORD longestWait = 50;
  InputSource& from = SourceOf(input);
  if (EventsWaiting(from, input)) return;
  win32::FlushConsole();
  if (from.isConsole) {
    WaitForSingleObject(NativeHandle(input),
                        milliseconds < longestWait ? milliseconds : longestWait);
  } else {
    Sleep(milliseconds == untilInput ? 1 : milliseconds);
  }
}

}  // namespace platform
