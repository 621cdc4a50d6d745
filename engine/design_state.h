// The shared design state: everything the design loop chooses and the
// renderers read, plus the renderers' shared work values. All of it starts at
// zero, false or the empty string and lives as long as the saver runs.
#pragma once

#include <array>
#include <string>

#include "core/basic_types.h"

namespace kalo {

struct DesignState {
  // Set by the design loop.
  Integer DesignType = 0;
  Single CenterX = 0, CenterY = 0;
  Single XStretch = 0;
  Single MaxRadius = 0;
  Single RadiusRange = 0;
  Single HalfWidth = 0;
  Single StrokeDelay = 0;
  std::array<bool, kDesignTypeCount> UseLines{};
  Integer SpiralDetail = 0;
  bool InnerPenMode = false, OuterPenMode = false;
  Single GonReach = 0, AngleReach = 0, BoxReach = 0;
  bool ShowDesignName = false;
  bool SwitchesGiven = false;

  // Spiral.
  Single FixedRadius = 0, RollRadius = 0, PenRadius = 0;
  bool SpiralInside = false, SpiralOutside = false;
  Single Revolutions = 0;
  // Yarn.
  Single YarnRadius = 0, YarnPoints = 0;
  // Star.
  Single StarRadius = 0, StarPoints = 0, StarRings = 0;
  // Gons.
  Single GonSides = 0, GonTwist = 0, GonGrowth = 0;
  Integer GonStyle = 0;
  // Angle.
  Single AngleTurn = 0, AngleGrowth = 0;
  // Boxes.
  Single BoxCount = 0, BoxTwist = 0, BoxGrowth = 0;
  std::array<bool, 17> BoxFlags{};

  // Work values shared by the renderers.
  Single CurX = 0, CurY = 0;
  Single EndX = 0, EndY = 0;
  Single SideLength = 0;
  Single PointCount = 0;
  std::array<Integer, 32> PointX{}, PointY{};
  // Star ring points, indexed [point][ring].
  std::array<std::array<Integer, 22>, 27> StarX{}, StarY{};
  // Gons corner tables; 32-bit so that far corners of wide, stretched
  // polygons are kept as they are rather than wrapping round.
  std::array<Long, 43> PrevRingX{}, PrevRingY{}, RingX{}, RingY{};
  // Boxes: the points of the current square.
  Single BoxX3 = 0, BoxY3 = 0, BoxX5 = 0, BoxY5 = 0, BoxX6 = 0, BoxY6 = 0;
  Single BoxX7 = 0, BoxY7 = 0, BoxX8 = 0, BoxY8 = 0;
  Single BoxMidX = 0, BoxMidY = 0;

  // The current design's parameter record: per layer, fields each followed by
  // "\" and the layer closed by "/".
  std::string DesignRecord;
};

// The names shown on the name button and in prompts, by design type.
extern const char* const kDesignTypeNames[kDesignTypeCount];

}  // namespace kalo
