// The scroll plan against the screen buffer model: carried out with scrolls
// whose destination lies inside the buffer and with fills, it must change the
// same cells as the console's scroll does.
#include "platform/win32/scroll_plan.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/screen_buffer.h"

namespace platform::win32 {
namespace {

constexpr int16_t width = 20;
constexpr int16_t height = 8;
constexpr Cell fill = {'.', 0x1E};

class ScrollPlanTest : public testing::Test {
 protected:
  void SetUp() override {
    for (ScreenBuffer* buffer : {&expected, &planned}) {
      ASSERT_TRUE(InitScreenBuffer(*buffer, width, height));
      for (int i = 0; i < width * height; ++i) {
        WriteScreenCell(*buffer, {int16_t(i % width), int16_t(i / width)},
                        {uint8_t('A' + i % 50), uint8_t(1 + i / 50)});
      }
    }
  }
  void TearDown() override {
    ReleaseScreenBuffer(expected);
    ReleaseScreenBuffer(planned);
  }

  // The plan as a console that refuses destinations outside the buffer
  // carries it out.
  void CarryOut(const ScrollPlan& plan) {
    if (plan.move) {
      ASSERT_GE(plan.destination.x, 0);
      ASSERT_GE(plan.destination.y, 0);
      ASSERT_LT(plan.destination.x, width);
      ASSERT_LT(plan.destination.y, height);
      ScrollScreenCells(planned, plan.source, &plan.clip, plan.destination, fill);
    }
    for (int i = 0; i < plan.fillCount; ++i) {
      const Rect& r = plan.fills[i];
      for (int16_t y = r.top; y <= r.bottom; ++y) {
        for (int16_t x = r.left; x <= r.right; ++x) FillScreenCell(planned, {x, y}, fill);
      }
    }
  }

  void Check(const Rect& scroll, const Rect* clip, Coord destination) {
    ScrollScreenCells(expected, scroll, clip, destination, fill);
    CarryOut(PlanScrollInsideBuffer({width, height}, scroll, clip, destination));
    for (int y = 0; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        const ScreenCell& want = ScreenCellAt(expected, x, y);
        const ScreenCell& got = ScreenCellAt(planned, x, y);
        ASSERT_EQ(got.character, want.character) << "cell " << x << "," << y;
        ASSERT_EQ(got.attribute, want.attribute) << "cell " << x << "," << y;
      }
    }
  }

  ScreenBuffer expected = {};
  ScreenBuffer planned = {};
};

const Rect whole = {0, 0, width - 1, height - 1};

TEST_F(ScrollPlanTest, ClearByMovingEverythingAway) {
  Check(whole, &whole, {-width, -height});
}

TEST_F(ScrollPlanTest, ScrollUpOneLine) {
  Check(whole, &whole, {0, -1});
}

TEST_F(ScrollPlanTest, ScrollUpWithoutClip) {
  Check(whole, nullptr, {0, -3});
}

TEST_F(ScrollPlanTest, ScrollDownAndRightPastTheEdge) {
  Check({2, 2, 9, 5}, nullptr, {15, 6});
}

TEST_F(ScrollPlanTest, ScrollRectangleReachingOutsideTheBuffer) {
  Check({-4, -2, 10, 4}, nullptr, {-6, 3});
}

TEST_F(ScrollPlanTest, ClipOutsideTheScrollChangesNothing) {
  const Rect clip = {15, 6, 19, 7};
  Check({0, 0, 5, 2}, &clip, {-2, -1});
}

TEST_F(ScrollPlanTest, NothingToDoForAScrollOutsideTheBuffer) {
  const ScrollPlan plan =
      PlanScrollInsideBuffer({width, height}, {30, 10, 40, 12}, nullptr, {0, 0});
  EXPECT_FALSE(plan.move);
  EXPECT_EQ(plan.fillCount, 0);
}

TEST_F(ScrollPlanTest, RandomRectanglesMatchTheConsole) {
  std::mt19937 random(7);
  auto pick = [&](int low, int high) {
    return int16_t(std::uniform_int_distribution<int>(low, high)(random));
  };
  for (int round = 0; round < 500; ++round) {
    SetUp();
    Rect scroll = {pick(-5, width), pick(-3, height), 0, 0};
    scroll.right = pick(scroll.left, width + 5);
    scroll.bottom = pick(scroll.top, height + 3);
    Rect clip = {pick(-5, width), pick(-3, height), 0, 0};
    clip.right = pick(clip.left, width + 5);
    clip.bottom = pick(clip.top, height + 3);
    const bool withClip = pick(0, 3) != 0;
    SCOPED_TRACE(round);
    Check(scroll, withClip ? &clip : nullptr,
          {pick(-width - 5, width + 5), pick(-height - 3, height + 3)});
    if (HasFatalFailure()) return;
  }
}

}  // namespace
}  // namespace platform::win32
