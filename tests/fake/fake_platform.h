// A recording fake of the platform seam for unit tests: scripted process
// handles, and an exit that jumps back into the test instead of ending it.
#pragma once

#include <csetjmp>
#include <cstdint>
#include <deque>
#include <map>
#include <string>

#include "platform/platform.h"

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
  std::deque<std::string> reads;  // what successive reads return; none left: end of input
  uint32_t readError = 0;         // non-zero: reads fail with this error number
  bool characterDevice = false;
  bool closed = false;
};

struct FakeState {
  std::map<platform::Handle, HandleScript> handles;
  uint32_t lastError = 0;
  bool exited = false;
  uint32_t exitCode = 0;
  std::jmp_buf* exitJump = nullptr;  // where ExitProcess returns to; null: abort
  platform::StackRange stack = {0, 0};
  int faultHandlerInstalls = 0;
  int faultHandlerRemovals = 0;
};

extern FakeState state;

// Fresh handles 10, 11 and 12 and no exit seen.
void Reset();

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

}  // namespace fake
