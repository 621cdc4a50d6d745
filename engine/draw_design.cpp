// One layer of a design: the name button, the layer's entry in the design
// record, the renderer of the current type, and the record's closing fields.
#include <string>

#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

namespace {

void Field(std::string& record, const std::string& text) {
  record += text;
  record += '\\';
}

void ShowNameButton(EngineContext& e) {
  e.overlay.CentreDesignName(e.s.CenterX, e.s.CenterY);
  e.overlay.ShowDesignName();
  e.canvas.Refresh();
}

}  // namespace

void DrawDesign(EngineContext& e) {
  DesignState& s = e.s;
  std::string& rec = s.DesignRecord;
  if (IsTrue(s.ShowDesignName)) ShowNameButton(e);

  Field(rec, StrInt(s.DesignType));
  Field(rec, StrInt(e.canvas.ForeColor()));
  Field(rec, StrInt(e.canvas.DrawWidth()));
  Field(rec, StrSingle(s.XStretch));

  // The fields are written before drawing starts: a layer cut short by the
  // saver ending keeps its parameters but not its closing draw mode and "/".
  switch (s.DesignType) {
    case KaloSpiral:
      Field(rec, StrSingle(s.FixedRadius));
      Field(rec, StrSingle(s.RollRadius));
      Field(rec, StrSingle(s.PenRadius));
      Field(rec, StrInt(s.SpiralInside));
      Field(rec, StrInt(s.SpiralOutside));
      Field(rec, StrInt(s.InnerPenMode));
      Field(rec, StrInt(s.OuterPenMode));
      Field(rec, StrInt(s.UseLines[KaloSpiral]));
      Field(rec, StrInt(s.SpiralDetail));
      DrawSpiral(e);
      break;
    case KaloYarn:
      // Yarn is always drawn with lines, and its record says so.
      s.UseLines[KaloYarn] = True;
      Field(rec, StrSingle(s.YarnRadius));
      Field(rec, StrSingle(s.YarnPoints));
      Field(rec, StrInt(s.UseLines[KaloYarn]));
      DrawYarn(e);
      break;
    case KaloStar:
      Field(rec, StrSingle(s.StarRadius));
      Field(rec, StrSingle(s.StarPoints));
      Field(rec, StrSingle(s.StarRings));
      Field(rec, StrInt(s.UseLines[KaloStar]));
      DrawStar(e);
      break;
    case KaloBoxes:
      Field(rec, StrSingle(s.BoxTwist));
      Field(rec, StrSingle(s.BoxCount));
      Field(rec, StrSingle(s.BoxGrowth));
      for (int i = 0; i <= 15; ++i) Field(rec, StrInt(s.BoxFlags[i]));
      Field(rec, StrInt(s.UseLines[KaloBoxes]));
      DrawBoxes(e);
      break;
    case KaloAngle:
      Field(rec, StrSingle(s.AngleTurn));
      Field(rec, StrSingle(s.AngleGrowth));
      Field(rec, StrInt(s.UseLines[KaloAngle]));
      DrawAngle(e);
      break;
    case KaloGons:
      Field(rec, StrSingle(s.GonSides));
      Field(rec, StrSingle(s.GonTwist));
      Field(rec, StrSingle(s.GonGrowth));
      Field(rec, StrInt(s.GonStyle));
      Field(rec, StrInt(s.UseLines[KaloGons]));
      DrawGons(e);
      break;
    default:
      break;
  }

  Field(rec, StrInt(static_cast<Integer>(e.canvas.DrawMode())));
  rec += '/';
}

}  // namespace kalo
