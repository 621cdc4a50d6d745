// Reading a canvas data file back. Every line and every field is held to what
// the saver itself writes -- the comment lines, the stamp, the field count of
// each design type, the record number text and the range of every value -- so
// that a file cut short, edited, or made by something else is turned away
// with the line and field at fault instead of being drawn wrongly, or for
// hours. No Qt here: the reader runs headless and under fuzzing.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "engine/design_state.h"

namespace kalo {

// Far more than any design needs (a few hundred bytes a layer, a few dozen
// layers): a larger file is not one of ours, and is not read into memory.
inline constexpr std::size_t kCanvasFileLimit = 1 << 20;
// The saver's settings allow at most 32 layers, and the pen's decay ends
// every design within about 45.
inline constexpr int kCanvasLayerLimit = 250;

// One layer record: the pen, the stretch, the draw mode, and the design
// type's own fields in the order the record holds them.
struct CanvasLayer {
  Integer DesignType = 0;
  Long ForeColor = 0;
  Integer DrawWidth = 1;
  Single XStretch = 1;
  std::vector<double> fields;
  Integer DrawMode = 13;
};

struct CanvasDesign {
  Long BackColor = 0;
  std::vector<CanvasLayer> layers;
};

struct CanvasRead {
  CanvasDesign design;
  std::string error;  // "" when the file was read whole; otherwise why not
  bool ok() const { return error.empty(); }
};

// Checks and reads the text of a canvas file. Lines may end in CR LF, as the
// saver writes them, or in LF alone.
CanvasRead ParseCanvasText(std::string_view text);

// Reads the file at `path` (a regular file of at most kCanvasFileLimit bytes).
CanvasRead ReadCanvasFile(const std::string& path);

// Puts the layer's design type, stretch and type fields into the design
// state, as DrawDesign found them when it recorded the layer.
void ApplyCanvasLayer(const CanvasLayer& layer, DesignState& s);

}  // namespace kalo
