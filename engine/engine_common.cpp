#include "core/numbers.h"
#include "engine/engine.h"

namespace kalo {

const char* const kDesignTypeNames[kDesignTypeCount] = {"KaloSpiral", "KaloYarn",  "KaloStar",
                                                        "KaloGons",   "KaloAngle", "KaloBoxes"};

Single Draw(RandomSource& rnd, double n) {
  return static_cast<Single>(Int(static_cast<double>(rnd.Rnd()) * n) + 1);
}

void StrokeStep(EngineContext& e) {
  e.pacer.DoEvents();
  if (e.s.StrokeDelay > 0) e.pacer.Sleep(CLng(e.s.StrokeDelay));
}

}  // namespace kalo
