// Boxes: rings of squares round the design centre. Every square has a corner
// on the centre; of each square only the strokes picked for the design (out of
// its eight half-sides and eight spokes to its middle) are drawn.
#include <cmath>

#include "engine/engine.h"

namespace kalo {

namespace {

struct BoxPoint {
  Single x, y;
};

// The nine points of the current square, numbered as the strokes use them:
// 0 the centre, 1 to 3 the other corners, 4 the middle, 5 to 8 the side
// midpoints.
enum : int { kC, kCorner1, kCorner2, kCorner3, kMiddle, kP5, kP6, kP7, kP8 };

struct BoxStroke {
  int from, to;
};

// Strokes 0 to 7 walk the outline in half-sides; 8 to 15 are spokes from the
// outline points to the middle.
constexpr BoxStroke kBoxStrokes[16] = {
    {kC, kP5},           {kP5, kCorner1}, {kCorner1, kP6},     {kP6, kCorner2},
    {kCorner2, kP7},     {kP7, kCorner3}, {kCorner3, kP8},     {kP8, kC},
    {kC, kMiddle},       {kP5, kMiddle},  {kCorner1, kMiddle}, {kP6, kMiddle},
    {kCorner2, kMiddle}, {kP7, kMiddle},  {kCorner3, kMiddle}, {kP8, kMiddle},
};

BoxPoint BoxPointOf(const DesignState& s, int which) {
  switch (which) {
    case kCorner1:
      return {s.CurX, s.CurY};
    case kCorner2:
      return {s.EndX, s.EndY};
    case kCorner3:
      return {s.BoxX3, s.BoxY3};
    case kMiddle:
      return {s.BoxMidX, s.BoxMidY};
    case kP5:
      return {s.BoxX5, s.BoxY5};
    case kP6:
      return {s.BoxX6, s.BoxY6};
    case kP7:
      return {s.BoxX7, s.BoxY7};
    case kP8:
      return {s.BoxX8, s.BoxY8};
    default:
      return {s.CenterX, s.CenterY};
  }
}

bool DrawsLines(const DesignState& s) {
  return s.DesignType >= 0 && s.DesignType < kDesignTypeCount && s.UseLines[s.DesignType];
}

}  // namespace

void CalcBoxPoints(DesignState& s, Single a) {
  const double side = s.SideLength;
  const double half = side / 2;
  const double stretch = s.XStretch;
  const double up = a - kPi / 2;        // along the side from the centre to corner 1
  const double along = a;               // along the side from the centre to corner 3
  const double down = a + kPi / 2;      // back from corner 2 towards corner 3
  const double diagonal = a - kPi / 4;  // from the centre to the middle
  s.CurX = static_cast<Single>(s.CenterX + side * stretch * std::cos(up));
  s.CurY = static_cast<Single>(s.CenterY + side * std::sin(up));
  s.EndX = static_cast<Single>(s.CurX + side * stretch * std::cos(along));
  s.EndY = static_cast<Single>(s.CurY + side * std::sin(along));
  s.BoxX3 = static_cast<Single>(s.CenterX + side * stretch * std::cos(along));
  s.BoxY3 = static_cast<Single>(s.CenterY + side * std::sin(along));
  s.BoxMidX = static_cast<Single>(s.CenterX + 0.707142857 * side * stretch * std::cos(diagonal));
  s.BoxMidY = static_cast<Single>(s.CenterY + 0.707142857 * side * std::sin(diagonal));
  s.BoxX5 = static_cast<Single>(s.CenterX + half * stretch * std::cos(up));
  s.BoxY5 = static_cast<Single>(s.CenterY + half * std::sin(up));
  s.BoxX6 = static_cast<Single>(s.CurX + half * stretch * std::cos(along));
  s.BoxY6 = static_cast<Single>(s.CurY + half * std::sin(along));
  s.BoxX7 = static_cast<Single>(s.EndX + half * stretch * std::cos(down));
  s.BoxY7 = static_cast<Single>(s.EndY + half * std::sin(down));
  s.BoxX8 = static_cast<Single>(s.CenterX + half * stretch * std::cos(along));
  s.BoxY8 = static_cast<Single>(s.CenterY + half * std::sin(along));
}

void DrawBoxLines(EngineContext& e, Long colour) {
  for (int f = 0; f < 16; ++f) {
    if (!e.s.BoxFlags[f]) continue;
    const BoxPoint from = BoxPointOf(e.s, kBoxStrokes[f].from);
    const BoxPoint to = BoxPointOf(e.s, kBoxStrokes[f].to);
    e.canvas.Line(from.x, from.y, to.x, to.y, colour);
  }
}

void DrawBoxDots(EngineContext& e, Long colour) {
  // A point shared by several strokes is dotted again for each of them.
  for (int f = 0; f < 16; ++f) {
    if (!e.s.BoxFlags[f]) continue;
    const BoxPoint from = BoxPointOf(e.s, kBoxStrokes[f].from);
    const BoxPoint to = BoxPointOf(e.s, kBoxStrokes[f].to);
    e.canvas.PSet(from.x, from.y, colour);
    e.canvas.PSet(to.x, to.y, colour);
  }
}

void DrawBoxes(EngineContext& e) {
  DesignState& s = e.s;
  Single a0 = static_cast<Single>(kPi / 29);
  s.SideLength = 20;
  for (;;) {
    // The ring ends one 29th of a half turn short of a full turn, so the
    // square at a0 + 2 pi is not drawn over the first one again.
    const Single end = static_cast<Single>(a0 - kPi / 29 + kTwoPi);
    const Single step = static_cast<Single>(kTwoPi / s.BoxCount);
    for (Single a = a0; a <= end;) {
      StrokeStep(e);
      CalcBoxPoints(s, a);
      const Long colour = e.canvas.ForeColor();
      if (DrawsLines(s)) {
        DrawBoxLines(e, colour);
      } else {
        DrawBoxDots(e, colour);
      }
      const Single next = static_cast<Single>(a + step);
      // A step that does not move the angle forward would never finish the ring.
      if (!(next > a)) break;
      a = next;
    }
    e.pacer.DoEvents();
    const Single previous = s.SideLength;
    s.SideLength = static_cast<Single>((s.BoxGrowth / 100.0 + 1) * s.SideLength);
    if (s.BoxGrowth == 0)
      s.SideLength = static_cast<Single>(static_cast<double>(s.BoxReach) * s.HalfWidth);
    if (s.BoxTwist != 0) a0 = static_cast<Single>(s.BoxTwist * kTwoPi / 360 + a0);
    if (!(static_cast<Single>(static_cast<double>(s.BoxReach) * s.HalfWidth) > s.SideLength)) break;
    // Rings that no longer grow would never reach the limit.
    if (!(s.SideLength > previous)) break;
  }
}

}  // namespace kalo
