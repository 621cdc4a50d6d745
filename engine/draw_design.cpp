// One layer of a design: the name button, the layer's entry in the design
// record, the renderer of the current type, and the record's closing fields.
#include <string>

#include "core/numbers.h"
#include "engine/design_record.h"
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
  if (s.ShowDesignName) ShowNameButton(e);

  Field(rec, StrInt(s.DesignType));
  Field(rec, StrInt(e.canvas.ForeColor()));
  Field(rec, StrInt(e.canvas.DrawWidth()));
  Field(rec, StrSingle(s.XStretch));

  // The fields are written before drawing starts: a layer cut short by the
  // saver ending keeps its parameters but not its closing draw mode and "/".
  // Yarn is always drawn with lines, and its record says so.
  if (s.DesignType == KaloYarn) s.UseLines[KaloYarn] = true;
  for (const RecordField& field : DesignRecordFields(s.DesignType))
    Field(rec, RecordFieldText(field, s));
  static constexpr void (*kRenderers[kDesignTypeCount])(EngineContext&) = {
      DrawSpiral, DrawYarn, DrawStar, DrawGons, DrawAngle, DrawBoxes,
  };
  if (s.DesignType >= 0 && s.DesignType < kDesignTypeCount) kRenderers[s.DesignType](e);

  Field(rec, StrInt(static_cast<Integer>(e.canvas.DrawMode())));
  rec += '/';
}

}  // namespace kalo
