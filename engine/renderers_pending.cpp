// Temporary: replaced when the renderers land.
#include "engine/engine.h"

namespace kalo {

void MakeYarnPoints(DesignState&) {}
void DrawYarn(EngineContext&) {}
void MakeStarRings(DesignState&) {}
void DrawStar(EngineContext&) {}
void DrawAngle(EngineContext&) {}
void CalcBoxPoints(DesignState&, Single) {}
void DrawBoxLines(EngineContext&, Long) {}
void DrawBoxDots(EngineContext&, Long) {}
void DrawBoxes(EngineContext&) {}

}  // namespace kalo
