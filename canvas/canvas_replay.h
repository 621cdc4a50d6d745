// Drawing a canvas file again: each layer's record is put back into the
// design state and the canvas's pen, and the layer is drawn by the design
// engine itself, centred on the canvas, so the strokes are the ones the saver
// drew. What the file does not record is taken as the saver has it for a
// design drawn alone in a run without switches: the centre of the window, the
// reach of half its width, and the full reach factors.
#pragma once

#include <string>

#include "canvas/canvas_reader.h"
#include "canvas/canvas_scale.h"
#include "engine/engine.h"
#include "surface/surface.h"

namespace kalo {

// The design state a replay on `canvas` starts from: the centre, the reach
// and no design name. The stroke delay is left as the caller set it.
void PrepareCanvasReplay(DesignState& s, const Canvas& canvas);

// One layer: its fields into the design state, its colour, width and draw
// mode into the canvas's pen, then DrawDesign.
void DrawCanvasLayer(EngineContext& e, const CanvasLayer& layer);

// The background, then every layer in order.
void DrawCanvas(EngineContext& e, const CanvasDesign& design);

// The most a canvas file may ask of the surface, in pixels touched (each
// stroke and each step counted as a few dozen more, for what they cost
// besides): some twenty seconds of drawing. The heaviest designs the saver
// makes, with its widest pens, need a third of that at the largest image size.
inline constexpr double kCanvasWorkLimit = 1e10;

// The whole design drawn at once into `surface`, centred, with no pauses:
// for images. `scale` places it otherwise than on the surface's own size.
void DrawCanvasImage(const CanvasDesign& design, Surface& surface);
void DrawCanvasImage(const CanvasDesign& design, Surface& surface, const CanvasScale& scale);

// What drawing the design in a width x height image asks of the surface, in
// the units of kCanvasWorkLimit. The layers are worked through the engine
// without drawing, and the count stops soon after passing `limit`.
double CanvasWork(const CanvasDesign& design, int width, int height,
                  double limit = kCanvasWorkLimit);
double CanvasWork(const CanvasDesign& design, int width, int height, const CanvasScale& scale,
                  double limit = kCanvasWorkLimit);

// Whether the design stays within kCanvasWorkLimit in a width x height
// image: "" when it does, otherwise the message for the user.
std::string CheckCanvasWork(const CanvasDesign& design, int width, int height);
std::string CheckCanvasWork(const CanvasDesign& design, int width, int height,
                            const CanvasScale& scale);

// The pixels that do not show the background when the design is drawn in a
// width x height image at its own size; empty when there are none, or when
// that drawing is beyond the work limit or the memory.
PixelRect CanvasExtent(const CanvasDesign& design, int width, int height);

}  // namespace kalo
