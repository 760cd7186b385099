// One step of the network view as the Windows console receives it: the seam
// calls the console layer makes between two key waits, drawn into the Win32
// backend's screen shadow, reach the console in a few calls, not one per cell.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "calc/network_view.h"
#include "platform/screen_shadow.h"
#include "tests/fake/fake_platform.h"

namespace {

using fake::ConsoleCall;

struct Console {
  platform::ScreenBuffer cells;  // what the console shows
  int calls;
};

// The fake's screen at each key wait.
std::vector<platform::ScreenBuffer> atKeyWaits;
std::vector<size_t> callsAtKeyWaits;

platform::ScreenBuffer Copy(const platform::ScreenBuffer& from) {
  platform::ScreenBuffer copy = {};
  platform::InitScreenBuffer(copy, from.width, from.height);
  std::memcpy(copy.cells, from.cells,
              sizeof(platform::ScreenCell) * size_t(from.width * from.height));
  copy.cursor = from.cursor;
  return copy;
}

void Write(void* console, const platform::ScreenBuffer& drawn, const platform::Rect& area) {
  auto& c = *static_cast<Console*>(console);
  for (int16_t y = area.top; y <= area.bottom; ++y) {
    for (int16_t x = area.left; x <= area.right; ++x) {
      const platform::ScreenCell& cell = platform::ScreenCellAt(drawn, x, y);
      platform::WriteScreenCell(c.cells, {x, y}, {cell.character, cell.attribute});
    }
  }
  ++c.calls;
}

void Scroll(void* console, const platform::Rect& scroll, const platform::Rect* clip,
            platform::Coord to, platform::Cell fill) {
  auto& c = *static_cast<Console*>(console);
  platform::ScrollScreenCells(c.cells, scroll, clip, to, fill);
  ++c.calls;
}

void Cursor(void* console, platform::Coord at) {
  auto& c = *static_cast<Console*>(console);
  platform::SetScreenCursor(c.cells, at);
  ++c.calls;
}

void Draw(platform::ScreenShadow& shadow, const ConsoleCall& call) {
  switch (call.kind) {
    case ConsoleCall::setCursor:
      platform::DrawShadowCursor(shadow, call.position);
      break;
    case ConsoleCall::writeCell:
    case ConsoleCall::fillCell:
      platform::DrawShadowCell(shadow, call.position, call.cell);
      break;
    case ConsoleCall::scrollCells:
      platform::DrawShadowScroll(shadow, call.scroll, call.hasClip ? &call.clip : nullptr,
                                 call.position, call.cell);
      break;
  }
}

// The view shown low on an 80 x 25 console, so that the step scrolls the
// window by its eight rows, then '+' and Esc.
TEST(ShadowViewStep, OneScrollAndOneRegion) {
  fake::StartConsole(80, 25, 0x07, 2, {0, 20});
  fake::state.onPause = [] {
    atKeyWaits.push_back(Copy(fake::screen));
    callsAtKeyWaits.push_back(fake::state.consoleCalls.size());
  };
  fake::QueueKey(0xBB, 0x0D, '+');
  fake::QueueKey(0x1B, 0x01, 27);
  calc::NetworkView(0x0A000001, 0xFFFFFF00);
  fake::state.onPause = nullptr;
  ASSERT_GE(atKeyWaits.size(), 2u);

  Console console = {Copy(atKeyWaits[0]), 0};
  platform::ScreenShadow shadow = {};
  ASSERT_TRUE(platform::InitScreenShadow(shadow, 80, 25, {Write, Scroll, Cursor, &console}));
  std::memcpy(shadow.shown.cells, console.cells.cells, sizeof(platform::ScreenCell) * 80 * 25);
  shadow.shown.cursor = console.cells.cursor;
  platform::StartFromShown(shadow);
  const size_t seamCalls = callsAtKeyWaits[1] - callsAtKeyWaits[0];
  for (size_t i = callsAtKeyWaits[0]; i < callsAtKeyWaits[1]; ++i) {
    Draw(shadow, fake::state.consoleCalls[i]);
  }
  platform::FlushScreenShadow(shadow);

  EXPECT_GT(seamCalls, 100u);  // a call per cell would show here
  EXPECT_LE(console.calls, 3);
  const platform::ScreenBuffer& want = atKeyWaits[1];
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 80; ++x) {
      ASSERT_EQ(platform::ScreenCellAt(console.cells, x, y).character,
                platform::ScreenCellAt(want, x, y).character)
          << x << "," << y;
    }
  }
  EXPECT_EQ(console.cells.cursor.x, want.cursor.x);
  EXPECT_EQ(console.cells.cursor.y, want.cursor.y);
  platform::ReleaseScreenShadow(shadow);
  platform::ReleaseScreenBuffer(console.cells);
  for (platform::ScreenBuffer& screen : atKeyWaits) platform::ReleaseScreenBuffer(screen);
}

}  // namespace
