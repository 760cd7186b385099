// The screen shadow against a console model that carries out its calls: after
// every flush the console holds exactly what was drawn, and the calls are the
// few the drawing needs.
#include "platform/screen_shadow.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>

namespace platform {
namespace {

constexpr int16_t width = 12;
constexpr int16_t height = 6;
constexpr Rect whole = {0, 0, width - 1, height - 1};
constexpr Cell blank = {' ', 0x1E};

class ScreenShadowTest : public testing::Test {
 public:  // the cases' drawings use the helpers
  void SetUp() override {
    ASSERT_TRUE(InitScreenBuffer(console, width, height));
    ASSERT_TRUE(InitScreenShadow(shadow, width, height, {Write, Scroll, Cursor, this}));
    for (int16_t i = 0; i < width * height; ++i) {
      const Coord at = {int16_t(i % width), int16_t(i / width)};
      WriteScreenCell(console, at, {uint8_t('a' + i % 26), 0x1E});
      WriteScreenCell(shadow.shown, at, {uint8_t('a' + i % 26), 0x1E});
    }
    StartFromShown(shadow);
  }
  void TearDown() override {
    ReleaseScreenShadow(shadow);
    ReleaseScreenBuffer(console);
  }

  // Each call as a short text: "w" and the region, "s" and the scroll
  // rectangle and destination, "c" and the position.
  static void Write(void* test, const ScreenBuffer& drawn, const Rect& area) {
    auto& t = *static_cast<ScreenShadowTest*>(test);
    for (int16_t y = area.top; y <= area.bottom; ++y) {
      for (int16_t x = area.left; x <= area.right; ++x) {
        const ScreenCell& cell = ScreenCellAt(drawn, x, y);
        WriteScreenCell(t.console, {x, y}, {cell.character, cell.attribute});
      }
    }
    t.calls += "w" + Text(area) + " ";
  }
  static void Scroll(void* test, const Rect& scroll, const Rect* clip, Coord to, Cell fill) {
    auto& t = *static_cast<ScreenShadowTest*>(test);
    ScrollScreenCells(t.console, scroll, clip, to, fill);
    t.calls += "s" + Text(scroll) + ">" + std::to_string(to.x) + "," + std::to_string(to.y) + " ";
  }
  static void Cursor(void* test, Coord at) {
    auto& t = *static_cast<ScreenShadowTest*>(test);
    SetScreenCursor(t.console, at);
    t.calls += "c" + std::to_string(at.x) + "," + std::to_string(at.y) + " ";
  }
  static std::string Text(const Rect& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "-" + std::to_string(r.right) +
           "," + std::to_string(r.bottom);
  }

  void DrawText(int16_t x, int16_t y, const char* text) {
    for (; *text != 0; ++text, ++x) DrawShadowCell(shadow, {x, y}, {uint8_t(*text), 0x1E});
  }
  void ScrollUp(int16_t lines) {
    DrawShadowScroll(shadow, whole, &whole, {0, int16_t(-lines)}, blank);
  }

  testing::AssertionResult ConsoleShowsTheDrawing() {
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const ScreenCell& want = ScreenCellAt(shadow.drawn, x, y);
        const ScreenCell& got = ScreenCellAt(console, x, y);
        if (want.character != got.character || want.attribute != got.attribute) {
          return testing::AssertionFailure() << "cell " << x << "," << y;
        }
      }
    }
    if (console.cursor.x != shadow.drawn.cursor.x || console.cursor.y != shadow.drawn.cursor.y) {
      return testing::AssertionFailure() << "cursor";
    }
    return testing::AssertionSuccess();
  }

  ScreenBuffer console = {};
  ScreenShadow shadow = {};
  std::string calls;
};

struct FlushCase {
  const char* name;
  std::function<void(ScreenShadowTest&)> draw;
  const char* calls;  // what the flush after the drawing asks of the console
};

TEST_F(ScreenShadowTest, CallsOfOneFlush) {
  const FlushCase cases[] = {
      {"nothing drawn", [](auto&) {}, ""},
      {"the text that is shown", [](auto& t) { t.DrawText(0, 1, "mnop"); }, ""},
      {"rows with few rows between: one region",
       [](auto& t) {
         t.DrawText(2, 1, "x");
         t.DrawText(7, 4, "y");
       },
       "w2,1-7,4 "},
      {"rows far apart: a region each",
       [](auto& t) {
         t.DrawText(2, 0, "x");
         t.DrawText(3, 5, "y");
       },
       "w2,0-2,0 w3,5-3,5 "},
      {"scrolls up gathered, then the new rows",
       [](auto& t) {
         t.ScrollUp(1);
         t.DrawText(0, 5, "one");
         t.ScrollUp(2);
         t.DrawText(0, 5, "three");
       },
       "s0,3-11,5>0,0 w0,3-4,5 "},
      {"scroll past the height: a rewrite",
       [](auto& t) {
         t.ScrollUp(4);
         t.ScrollUp(2);
       },
       "w0,0-11,5 "},
      {"a clear comes after what was drawn before it",
       [](auto& t) {
         t.DrawText(0, 0, "x");
         DrawShadowScroll(t.shadow, whole, &whole, {-width, -height}, blank);
         t.DrawText(0, 2, "y");
       },
       "w0,0-0,0 s0,0-11,5>-12,-6 w0,2-0,2 "},
      {"the cursor moved",
       [](auto& t) {
         DrawShadowCursor(t.shadow, {4, 3});
       },
       "c4,3 "},
      {"the cursor moved and back",
       [](auto& t) {
         DrawShadowCursor(t.shadow, {4, 3});
         DrawShadowCursor(t.shadow, {0, 0});
       },
       ""},
  };
  for (const FlushCase& c : cases) {
    SetUp();
    c.draw(*this);
    FlushScreenShadow(shadow);
    EXPECT_EQ(calls, c.calls) << c.name;
    EXPECT_TRUE(ConsoleShowsTheDrawing()) << c.name;
    calls.clear();
    TearDown();
  }
}

// Random drawing, flushed now and then: the console always ends up with the
// drawing, whatever scrolls and cells came between two flushes.
TEST_F(ScreenShadowTest, RandomDrawingReachesTheConsole) {
  std::mt19937 random(11);
  auto pick = [&](int low, int high) {
    return int16_t(std::uniform_int_distribution<int>(low, high)(random));
  };
  for (int step = 0; step < 5000; ++step) {
    const int what = pick(0, 99);
    if (what < 55) {
      DrawShadowCell(shadow, {pick(-1, width), pick(-1, height)}, {uint8_t(pick(33, 126)), 0x07});
    } else if (what < 65) {
      DrawShadowCursor(shadow, {pick(0, width - 1), pick(0, height - 1)});
    } else if (what < 85) {
      ScrollUp(pick(1, height + 1));
    } else if (what < 95) {
      const Rect scroll = {pick(-2, width), pick(-2, height), pick(0, width + 2), pick(0, height)};
      const Rect clip = {pick(-2, width), pick(-2, height), pick(0, width + 2), pick(0, height)};
      DrawShadowScroll(shadow, scroll, pick(0, 1) ? &clip : nullptr,
                       {pick(-width, width), pick(-height, height)}, {'.', uint8_t(pick(1, 15))});
    } else {
      FlushScreenShadow(shadow);
      ASSERT_TRUE(ConsoleShowsTheDrawing()) << "step " << step;
    }
  }
}

}  // namespace
}  // namespace platform
