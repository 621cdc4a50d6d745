// "--render": a saved canvas file drawn into an image file, whole and at
// once, with no window and no display needed -- wallpapers at any size.
#pragma once

#include <string>

#include "app/command_line.h"
#include "canvas/canvas_scale.h"

namespace kalo {

// Draws inv.canvas_file at inv.width x inv.height (when not given: the
// primary screen's size in device pixels if a display answers, otherwise
// 1920 x 1080), sized as RequestedScale says, and writes inv.output_file, or
// the canvas file's name ending in .png: a BMP for a name ending in .bmp,
// otherwise a PNG. Returns the exit status, 0, or 1 after one line on stderr
// saying what went wrong.
int RenderCanvas(const Invocation& inv);

// How the command line asks the design to be sized: the screen it was saved
// on given with --from, or else told by the bitmap saved beside the file.
ScaleRequest RequestedScale(const Invocation& inv);

// The image written when no name is given: the canvas file's extension
// replaced by .png, or .png added where it has none.
std::string DefaultRenderOutput(const std::string& canvas_file);

}  // namespace kalo
