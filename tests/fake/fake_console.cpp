// The fake's console: every output call recorded and applied to one shared
// screen buffer model; input events from a queue the test fills.
#include <cstdlib>

#include "tests/fake/fake_platform.h"

namespace fake {

platform::ScreenBuffer screen;

void UseConsole(int16_t width, int16_t height, uint8_t attribute, platform::Coord cursor) {
  platform::InitScreenBuffer(screen, width, height);
  screen.attribute = attribute;
  screen.cursor = cursor;
  state.consoleHandles.insert(outputHandle);
}

std::string ScreenRow(int row) {
  std::string text;
  for (int x = 0; x < screen.width; ++x) {
    const platform::ScreenCell& cell = platform::ScreenCellAt(screen, x, row);
    text += cell.known ? char(cell.character) : ' ';
  }
  return text;
}

int CountCalls(ConsoleCall::Kind kind) {
  int count = 0;
  for (const ConsoleCall& call : state.consoleCalls) count += call.kind == kind;
  return count;
}

void QueueEvent(const platform::InputEvent& event) {
  state.inputEvents.push_back(event);
}

void QueueKey(uint16_t virtualKey, uint16_t scanCode, uint8_t character, uint32_t modifiers,
              bool release) {
  platform::InputEvent event = {platform::keyEvent, true,      1,        virtualKey,
                                scanCode,           character, modifiers};
  QueueEvent(event);
  if (release) {
    event.keyDown = false;
    QueueEvent(event);
  }
}

}  // namespace fake

namespace platform {

using fake::ConsoleCall;
using fake::state;

// Nothing to take: the query tells a console apart.
bool OpenConsole(Handle) {
  return true;
}

void CloseConsole(Handle) {}

bool QueryScreen(Handle output, ScreenInfo& info) {
  if (!state.consoleHandles.count(output) || state.screenQueryFails) return false;
  info.size = {fake::screen.width, fake::screen.height};
  info.cursor = fake::screen.cursor;
  info.attribute = fake::screen.attribute;
  return true;
}

Handle OpenConsoleOutput() {
  return state.consoleOutput;
}

uint32_t PlatformId() {
  return state.platformId;
}

void SetCursor(Handle output, Coord position) {
  state.consoleCalls.push_back({ConsoleCall::setCursor, output, position, {}, {}, {}, false});
  SetScreenCursor(fake::screen, position);
}

void WriteCell(Handle output, Coord position, Cell cell) {
  state.consoleCalls.push_back({ConsoleCall::writeCell, output, position, cell, {}, {}, false});
  WriteScreenCell(fake::screen, position, cell);
}

void ScrollCells(Handle output, const Rect& scroll, const Rect* clip, Coord destination,
                 Cell fill) {
  state.consoleCalls.push_back({ConsoleCall::scrollCells, output, destination, fill, scroll,
                                clip ? *clip : Rect{}, clip != nullptr});
  ScrollScreenCells(fake::screen, scroll, clip, destination, fill);
}

void FillCell(Handle output, Coord position, Cell cell) {
  state.consoleCalls.push_back({ConsoleCall::fillCell, output, position, cell, {}, {}, false});
  FillScreenCell(fake::screen, position, cell);
}

uint32_t PendingInputEvents(Handle) {
  ++state.eventQueries;
  return uint32_t(state.inputEvents.size());
}

void ReadInputEvent(Handle, InputEvent& event) {
  event = state.inputEvents.front();
  state.inputEvents.pop_front();
}

// A reader waiting on an empty queue would wait for ever: after the limit the
// fake takes the exit instead, and the test sees starvedExitCode.
void PauseForInput(Handle, uint32_t milliseconds) {
  ++state.pauses;
  state.lastPause = milliseconds;
  if (state.onPause != nullptr) state.onPause();
  state.starvedPauses = state.inputEvents.empty() ? state.starvedPauses + 1 : 0;
  if (state.starvedPauses > state.starvationLimit) ExitProcess(fake::starvedExitCode);
}

}  // namespace platform
