// A recording fake of the platform seam for unit tests: scripted process
// handles, and an exit that jumps back into the test instead of ending it.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/screen_buffer.h"

namespace fake {

// The standard handles the fake hands out.
inline constexpr platform::Handle inputHandle = 10;
inline constexpr platform::Handle outputHandle = 11;
inline constexpr platform::Handle errorHandle = 12;

struct HandleScript {
  std::string written;            // every byte written to the handle, in order
  int writeCalls = 0;             // WriteBytes calls, empty ones included
  bool failWrites = false;        // writes fail outright
  int32_t shortWriteBy = 0;       // writes take this many bytes fewer than offered
  size_t readerLeavesAfter = 0;   // non-zero: after this many bytes a write fails as a
                                  // closed pipe does, its reader gone
  bool readerLeft = false;        // a write failed so
  std::deque<std::string> reads;  // what successive reads return; none left: end of input
  uint32_t readError = 0;         // non-zero: reads fail with this error number
  bool characterDevice = false;
  bool closed = false;
};

// One call the console layer made of the console.
struct ConsoleCall {
  enum Kind { setCursor, writeCell, scrollCells, fillCell } kind;
  platform::Handle handle;
  platform::Coord position;  // setCursor, writeCell, fillCell; scrollCells: destination
  platform::Cell cell;       // writeCell, fillCell; scrollCells: the fill
  platform::Rect scroll;     // scrollCells
  platform::Rect clip;       // scrollCells, when hasClip
  bool hasClip;
};

struct FakeState {
  std::map<platform::Handle, HandleScript> handles;
  std::map<std::string, platform::Handle> files;  // what OpenFileForReading finds, by path
  uint32_t lastError = 0;
  uint32_t failedWriteError = 6;           // the error a failing write leaves: invalid handle
  const char* textLineEnd = "\n";          // what TextLineEnd gives
  const char* nativeHelpOption = nullptr;  // what NativeHelpOption gives
  bool exited = false;
  uint32_t exitCode = 0;
  std::jmp_buf* exitJump = nullptr;  // where ExitProcess returns to; null: abort
  platform::StackRange stack = {0, 0};
  int faultHandlerInstalls = 0;
  int faultHandlerRemovals = 0;

  // Console output: the handles that are consoles share one screen buffer.
  std::set<platform::Handle> consoleHandles;
  platform::Handle consoleOutput = platform::invalidHandle;  // what OpenConsoleOutput gives
  bool screenQueryFails = false;  // QueryScreen fails even on a console handle
  uint32_t platformId = 2;
  std::vector<ConsoleCall> consoleCalls;

  // Console input.
  std::deque<platform::InputEvent> inputEvents;
  int pauses = 0;               // PauseForInput calls
  uint32_t lastPause = 0;       // the milliseconds the last PauseForInput was given
  int eventQueries = 0;         // PendingInputEvents calls
  int starvedPauses = 0;        // consecutive pauses with no event waiting
  int starvationLimit = 1000;   // then the fake takes the exit with code starvedExitCode
  void (*onPause)() = nullptr;  // called at every PauseForInput: a reader is about to check
};

inline constexpr uint32_t starvedExitCode = 0xDEAD;

extern FakeState state;
extern platform::ScreenBuffer screen;

// Fresh handles 10, 11 and 12, no console, no exit seen.
void Reset();

// Makes the standard output handle a console of the given size whose cursor
// and text attribute are as given.
void UseConsole(int16_t width, int16_t height, uint8_t attribute = 0x07,
                platform::Coord cursor = {0, 0});

// A fresh fake with that console, and the runtime's and the console layer's
// start-up run on it as the program runs them; no calls recorded yet.
void StartConsole(int16_t width, int16_t height, uint8_t attribute = 0x07, uint32_t platformId = 2,
                  platform::Coord cursor = {0, 0});

// The text of a screen row (unknown cells read as spaces).
std::string ScreenRow(int row);

// Calls of one kind recorded since the last ClearCalls.
int CountCalls(ConsoleCall::Kind kind);
inline void ClearCalls() {
  state.consoleCalls.clear();
}

// Queues a key-down event (and, when `release`, its key-up).
void QueueKey(uint16_t virtualKey, uint16_t scanCode, uint8_t character, uint32_t modifiers = 0,
              bool release = false);
void QueueEvent(const platform::InputEvent& event);

// Runs `body`; returns true when it took the exit (the exit code is then in
// state.exitCode), false when it returned normally.
template <typename Body>
bool TakesExit(Body body) {
  std::jmp_buf jump;
  state.exitJump = &jump;
  if (setjmp(jump) != 0) {
    state.exitJump = nullptr;
    return true;
  }
  body();
  state.exitJump = nullptr;
  return false;
}

// Runs `mainProgram` as app/ starts the command-line program: the runtime's
// three modules, `arguments` after the program's path, the runtime's state
// fresh, the fake's as the caller left it. True when it took the exit.
bool RunWithArguments(void (*mainProgram)(), const std::vector<std::string>& arguments);

}  // namespace fake
