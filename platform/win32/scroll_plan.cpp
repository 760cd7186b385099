// The rectangle scroll as a scroll inside the screen buffer plus fills: source
// cells that would land outside the buffer are left out of the scroll, and
// every vacated cell inside the clip is listed for the fill.
#include "platform/win32/scroll_plan.h"

#include "platform/scroll_geometry.h"

namespace platform::win32 {

namespace {

void AddFill(ScrollPlan& plan, const Box& box) {
  if (!IsEmpty(box)) plan.fills[plan.fillCount++] = RectOf(box);
}

// `area` without `hole`: the bands above and below the hole, and the parts
// left and right of it, at most four rectangles.
void AddDifference(ScrollPlan& plan, const Box& area, const Box& hole) {
  const Box inside = Intersect(area, hole);
  if (IsEmpty(inside)) return AddFill(plan, area);
  AddFill(plan, {area.left, area.top, area.right, inside.top - 1});
  AddFill(plan, {area.left, inside.bottom + 1, area.right, area.bottom});
  AddFill(plan, {area.left, inside.top, inside.left - 1, inside.bottom});
  AddFill(plan, {inside.right + 1, inside.top, area.right, inside.bottom});
}

}  // namespace

ScrollPlan PlanScrollInsideBuffer(Coord bufferSize, const Rect& scroll, const Rect* clip,
                                  Coord destination) {
  ScrollPlan plan = {};
  const ClippedScroll s = ClipScroll(bufferSize, scroll, clip, destination);
  if (IsEmpty(s.source) || IsEmpty(s.clip)) return plan;
  // The source cells whose destination lies inside the buffer; the rest of
  // the source would land nowhere.
  const Box landing = Intersect(s.source, Shifted(s.whole, -s.dx, -s.dy));
  plan.clip = RectOf(s.clip);
  if (!IsEmpty(landing)) {
    plan.move = true;
    plan.source = RectOf(landing);
    plan.destination = {int16_t(landing.left + s.dx), int16_t(landing.top + s.dy)};
  }
  AddDifference(plan, Intersect(s.source, s.clip), Shifted(s.source, s.dx, s.dy));
  return plan;
}

}  // namespace platform::win32
