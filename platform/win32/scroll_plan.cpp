// The rectangle scroll as a scroll inside the screen buffer plus fills: source
// cells that would land outside the buffer are left out of the scroll, and
// every vacated cell inside the clip is listed for the fill. Arithmetic in int,
// so that far-off rectangles cannot overflow.
#include "platform/win32/scroll_plan.h"

namespace platform::win32 {

namespace {

struct Box {
  int left, top, right, bottom;  // inclusive
};

Box BoxOf(const Rect& rect) {
  return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect RectOf(const Box& box) {
  return {int16_t(box.left), int16_t(box.top), int16_t(box.right), int16_t(box.bottom)};
}

int Max(int a, int b) {
  return a > b ? a : b;
}
int Min(int a, int b) {
  return a < b ? a : b;
}

Box Intersect(const Box& a, const Box& b) {
  return {Max(a.left, b.left), Max(a.top, b.top), Min(a.right, b.right), Min(a.bottom, b.bottom)};
}

bool IsEmpty(const Box& box) {
  return box.left > box.right || box.top > box.bottom;
}

Box Shifted(const Box& box, int dx, int dy) {
  return {box.left + dx, box.top + dy, box.right + dx, box.bottom + dy};
}

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
  const Box whole = {0, 0, bufferSize.x - 1, bufferSize.y - 1};
  const Box source = Intersect(BoxOf(scroll), whole);
  const Box clipBox = clip != nullptr ? Intersect(BoxOf(*clip), whole) : whole;
  if (IsEmpty(source) || IsEmpty(clipBox)) return plan;
  const int dx = destination.x - scroll.left;
  const int dy = destination.y - scroll.top;
  // The source cells whose destination lies inside the buffer; the rest of
  // the source would land nowhere.
  const Box landing = Intersect(source, Shifted(whole, -dx, -dy));
  plan.clip = RectOf(clipBox);
  if (!IsEmpty(landing)) {
    plan.move = true;
    plan.source = RectOf(landing);
    plan.destination = {int16_t(landing.left + dx), int16_t(landing.top + dy)};
  }
  AddDifference(plan, Intersect(source, clipBox), Shifted(source, dx, dy));
  return plan;
}

}  // namespace platform::win32
