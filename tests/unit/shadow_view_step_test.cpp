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
using platform::ScreenBuffer;

std::vector<ScreenBuffer> screenAtKeyWaits;  // the fake's screen at each key wait
std::vector<size_t> callsAtKeyWaits;         // and the seam calls made until then

ScreenBuffer Copy(const ScreenBuffer& from) {
  ScreenBuffer copy = {};
  platform::InitScreenBuffer(copy, from.width, from.height);
  std::memcpy(copy.cells, from.cells,
              sizeof(platform::ScreenCell) * size_t(from.width * from.height));
  copy.cursor = from.cursor;
  return copy;
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
// window by its eight rows; then '+' and Esc.
TEST(ShadowViewStep, AtMostThreeConsoleCalls) {
  fake::StartConsole(80, 25, 0x07, 2, {0, 20});
  fake::state.onPause = [] {
    screenAtKeyWaits.push_back(Copy(fake::screen));
    callsAtKeyWaits.push_back(fake::state.consoleCalls.size());
  };
  fake::QueueKey(0xBB, 0x0D, '+');
  fake::QueueKey(0x1B, 0x01, 27);
  calc::NetworkView(0x0A000001, 0xFFFFFF00);
  fake::state.onPause = nullptr;
  ASSERT_GE(screenAtKeyWaits.size(), 2u);

  int consoleCalls = 0;
  const platform::ShadowSink counter = {
      [](void* calls, const ScreenBuffer&, const platform::Rect&) { ++*static_cast<int*>(calls); },
      [](void* calls, const platform::Rect&, const platform::Rect*, platform::Coord,
         platform::Cell) { ++*static_cast<int*>(calls); },
      [](void* calls, platform::Coord) { ++*static_cast<int*>(calls); }, &consoleCalls};
  platform::ScreenShadow shadow = {};
  ASSERT_TRUE(platform::InitScreenShadow(shadow, 80, 25, counter));
  std::memcpy(shadow.shown.cells, screenAtKeyWaits[0].cells,
              sizeof(platform::ScreenCell) * 80 * 25);
  shadow.shown.cursor = screenAtKeyWaits[0].cursor;
  platform::StartFromShown(shadow);
  for (size_t i = callsAtKeyWaits[0]; i < callsAtKeyWaits[1]; ++i) {
    Draw(shadow, fake::state.consoleCalls[i]);
  }
  platform::FlushScreenShadow(shadow);

  EXPECT_GT(callsAtKeyWaits[1] - callsAtKeyWaits[0], 100u);  // a cell each, and the scrolls
  EXPECT_LE(consoleCalls, 3);
  const ScreenBuffer& next = screenAtKeyWaits[1];
  for (int y = 0; y < 25; ++y) {
    for (int x = 0; x < 80; ++x) {
      ASSERT_EQ(platform::ScreenCellAt(shadow.shown, x, y).character,
                platform::ScreenCellAt(next, x, y).character)
          << x << "," << y;
    }
  }
  platform::ReleaseScreenShadow(shadow);
  for (ScreenBuffer& screen : screenAtKeyWaits) platform::ReleaseScreenBuffer(screen);
}

}  // namespace
