// A design drawn at another size than the screen it was saved on. The engine
// lays the design out on a screen of the saved size, as the saver did -- the
// same centre, reach and proportions -- and every stroke it draws is carried
// into the picture multiplied by one factor, the pen width too, so that dots
// grow with the pens. Raster modes and colours stay as they are: a scaled
// design keeps its aliased look.
#pragma once

#include <optional>
#include <string>

#include "canvas/canvas_reader.h"
#include "core/canvas.h"
#include "surface/surface.h"

namespace kalo {

// Where a design lands in a picture.
struct CanvasScale {
  // The screen the design is laid out on, as the engine sees it.
  Single layout_width = 0, layout_height = 0;
  // Picture point = layout point * factor + offset; pen widths * factor.
  double factor = 1;
  double offset_x = 0, offset_y = 0;

  // The design laid out on the picture itself, stroke for stroke.
  bool Plain(int width, int height) const;
};

// The picture's own size, stroke for stroke.
CanvasScale PlainScale(int width, int height);

// How the user asked the design to be sized.
struct ScaleRequest {
  // The screen the design was saved on; nullopt when not known.
  std::optional<PictureSize> saved;
  double factor = 0;  // given outright; 0: found from the sizes
  double fit = 0;     // the share of the shorter side to fill, up to 1; 0: none
};

// The most a pen may be multiplied by: the widest pen stays a pen width.
inline constexpr double kMaxCanvasScale = 100;

// Where the design goes in a width x height picture, always centred:
// - `fit`: the part of the drawing that lies on the saved screen (the picture
//   when that is not known) made as large as `fit` of the picture's shorter
//   side, the drawing's own middle in the picture's middle;
// - `factor`: the saved screen (or the picture divided by the factor) grown
//   by it, the screen's middle in the picture's middle;
// - neither: the saved screen grown to fill the picture as far as its shape
//   allows; the picture itself, unscaled, when the saved screen is not known.
CanvasScale ChooseCanvasScale(const CanvasDesign& design, int width, int height,
                              const ScaleRequest& request);

// The screen a canvas file was saved on, as the bitmap the saver saved with
// it tells: the canvas file's name ending in .bmp (or .BMP). nullopt when
// there is no such bitmap, or its header gives no picture size.
std::optional<PictureSize> SavedScreenSize(const std::string& canvas_file);

// The name that bitmap has.
std::string SavedBitmapName(const std::string& canvas_file, const char* extension = ".bmp");

// A canvas of the layout's size whose strokes go, scaled, to `out`.
class ScaledCanvas final : public Canvas {
 public:
  ScaledCanvas(Canvas& out, const CanvasScale& scale) : out_(out), scale_(scale) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    out_.Line(X(x1), Y(y1), X(x2), Y(y2), colour);
  }
  void PSet(Single x, Single y, Long colour) override { out_.PSet(X(x), Y(y), colour); }
  Long ForeColor() const override { return out_.ForeColor(); }
  void SetForeColor(Long colour) override { out_.SetForeColor(colour); }
  // The engine sees the recorded width; the picture gets it scaled.
  Integer DrawWidth() const override { return width_; }
  void SetDrawWidth(Integer width) override;
  RasterMode DrawMode() const override { return out_.DrawMode(); }
  void SetDrawMode(RasterMode mode) override { out_.SetDrawMode(mode); }
  Long BackColor() const override { return out_.BackColor(); }
  void SetBackColor(Long colour) override { out_.SetBackColor(colour); }
  void Cls() override { out_.Cls(); }
  void Refresh() override { out_.Refresh(); }
  Single ScaleWidth() const override { return scale_.layout_width; }
  Single ScaleHeight() const override { return scale_.layout_height; }

 private:
  Single X(Single x) const { return static_cast<Single>(x * scale_.factor + scale_.offset_x); }
  Single Y(Single y) const { return static_cast<Single>(y * scale_.factor + scale_.offset_y); }

  Canvas& out_;
  CanvasScale scale_;
  Integer width_ = 1;
};

}  // namespace kalo
