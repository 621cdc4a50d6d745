#include "canvas/canvas_replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <new>
#include <optional>
#include <string_view>

#include "core/numbers.h"
#include "surface/image_window.h"

namespace kalo {

namespace {

// The record keeps seven digits of the stretch. A stretch that reads as the
// window's own proportions was most likely those proportions, worked out as
// the saver works them out; taking that exact value keeps every point where
// the saver put it.
Single RecordedStretch(Single recorded, const Canvas& canvas) {
  if (canvas.ScaleHeight() <= 0) return recorded;
  const Single ratio = canvas.ScaleWidth() / canvas.ScaleHeight();
  char text[32];
  const auto printed =
      std::to_chars(text, text + sizeof text, ratio, std::chars_format::general, 7);
  return ReadSingle(std::string_view(text, printed.ptr - text)) == recorded ? ratio : recorded;
}

// A canvas that draws nothing but adds up what each stroke would cost the
// surface: the pixels of its band within the image, and a little more.
class WorkMeter final : public Canvas {
 public:
  struct TooMuch {};

  WorkMeter(int width, int height, double limit) : w_(width), h_(height), limit_(limit) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long) override {
    const double r = width_ >= 2 ? width_ / 2.0 : 0.5;
    const double length = VisibleLength(x1, y1, x2, y2, r + 1);
    Add(length < 0 ? 0 : (length + 2 * r) * std::max(1, static_cast<int>(width_)));
  }
  void PSet(Single, Single, Long) override { Add(static_cast<double>(width_) * width_); }
  // What a stroke or a step costs besides its pixels, counted in pixels.
  void AddStep(double cost) { Add(cost); }
  double work() const { return work_; }

  Long ForeColor() const override { return 0; }
  void SetForeColor(Long) override {}
  Integer DrawWidth() const override { return width_; }
  void SetDrawWidth(Integer width) override { width_ = std::max<Integer>(1, width); }
  RasterMode DrawMode() const override { return mode_; }
  void SetDrawMode(RasterMode mode) override { mode_ = mode; }
  Long BackColor() const override { return 0; }
  void SetBackColor(Long) override {}
  void Cls() override {}
  void Refresh() override {}
  Single ScaleWidth() const override { return static_cast<Single>(w_); }
  Single ScaleHeight() const override { return static_cast<Single>(h_); }

 private:
  static constexpr double kStrokeCost = 40;

  void Add(double pixels) {
    work_ += pixels + kStrokeCost;
    if (work_ > limit_) throw TooMuch{};
  }

  // The diagonal of the part of the segment's bounding box that lies within
  // the image grown by `margin`: never less than what the surface walks of
  // the segment after clipping it; -1 when none of it is there.
  double VisibleLength(double x1, double y1, double x2, double y2, double margin) const {
    const double across =
        std::min(std::max(x1, x2), w_ + margin) - std::max(std::min(x1, x2), -margin);
    const double down =
        std::min(std::max(y1, y2), h_ + margin) - std::max(std::min(y1, y2), -margin);
    if (!(across >= 0 && down >= 0)) return -1;
    return std::hypot(across, down);
  }

  int w_, h_;
  double limit_;
  double work_ = 0;
  Integer width_ = 1;
  RasterMode mode_ = RasterMode::CopyPen;
};

// Counts every yield of the renderers as a step of work.
class StepMeter final : public Pacer {
 public:
  explicit StepMeter(WorkMeter& meter) : meter_(meter) {}
  void DoEvents() override { meter_.AddStep(0); }
  void Sleep(Long) override {}

 private:
  WorkMeter& meter_;
};

// The renderers draw no random numbers; a replay never needs one.
class NoRandom final : public RandomSource {
 public:
  Single Rnd() override { return 0; }
};

class NoPauses final : public Pacer {
 public:
  void DoEvents() override {}
  void Sleep(Long) override {}
};

}  // namespace

void PrepareCanvasReplay(DesignState& s, const Canvas& canvas) {
  s.CenterX = static_cast<Single>(Int(canvas.ScaleWidth() / 2));
  s.CenterY = static_cast<Single>(Int(canvas.ScaleHeight() / 2));
  s.HalfWidth = s.CenterX;
  s.SwitchesGiven = false;
  s.ShowDesignName = false;
  s.GonReach = 1.8f;
  s.AngleReach = 10;
  s.BoxReach = 1.04f;
}

void DrawCanvasLayer(EngineContext& e, const CanvasLayer& layer) {
  DesignState& s = e.s;
  ApplyCanvasLayer(layer, s);
  s.XStretch = RecordedStretch(layer.XStretch, e.canvas);
  // The revolutions come from the radii, as the set-up worked them out.
  if (s.DesignType == KaloSpiral) CalcRevolutions(s);
  e.canvas.SetForeColor(layer.ForeColor);
  e.canvas.SetDrawWidth(layer.DrawWidth);
  e.canvas.SetDrawMode(static_cast<RasterMode>(layer.DrawMode));
  DrawDesign(e);
}

void DrawCanvas(EngineContext& e, const CanvasDesign& design) {
  e.canvas.SetBackColor(design.BackColor);
  e.canvas.Cls();
  e.s.DesignRecord.clear();
  for (const CanvasLayer& layer : design.layers) DrawCanvasLayer(e, layer);
}

void DrawCanvasImage(const CanvasDesign& design, Surface& surface) {
  DrawCanvasImage(design, surface, PlainScale(surface.width(), surface.height()));
}

namespace {

void DrawWhole(const CanvasDesign& design, Canvas& canvas) {
  NullOverlay overlay;
  NoPauses pacer;
  NoRandom rnd;
  DesignState s;
  PrepareCanvasReplay(s, canvas);
  EngineContext e{s, canvas, overlay, pacer, rnd};
  DrawCanvas(e, design);
}

}  // namespace

void DrawCanvasImage(const CanvasDesign& design, Surface& surface, const CanvasScale& scale) {
  SurfacePen pen(surface);
  // The design at the size it was saved at goes straight to the surface, so
  // that it comes back exactly as the saver drew it.
  if (scale.Plain(surface.width(), surface.height())) return DrawWhole(design, pen);
  ScaledCanvas scaled(pen, scale);
  DrawWhole(design, scaled);
}

namespace {

// The engine works the design through the meter, scaled, until it is done or
// the work passes the meter's limit. (Scaled by 1, every stroke reaches the
// meter unchanged.)
void Measure(const CanvasDesign& design, WorkMeter& meter, const CanvasScale& scale) {
  ScaledCanvas canvas(meter, scale);
  StepMeter steps(meter);
  NoRandom rnd;
  DesignState s;
  NullOverlay overlay;
  PrepareCanvasReplay(s, canvas);
  EngineContext e{s, canvas, overlay, steps, rnd};
  try {
    DrawCanvas(e, design);
  } catch (const WorkMeter::TooMuch&) {
  }
}

}  // namespace

double CanvasWork(const CanvasDesign& design, int width, int height, double limit) {
  return CanvasWork(design, width, height, PlainScale(width, height), limit);
}

double CanvasWork(const CanvasDesign& design, int width, int height, const CanvasScale& scale,
                  double limit) {
  WorkMeter meter(width, height, limit);
  Measure(design, meter, scale);
  return meter.work();
}

std::string CheckCanvasWork(const CanvasDesign& design, int width, int height) {
  return CheckCanvasWork(design, width, height, PlainScale(width, height));
}

std::string CheckCanvasWork(const CanvasDesign& design, int width, int height,
                            const CanvasScale& scale) {
  if (CanvasWork(design, width, height, scale) <= kCanvasWorkLimit) return "";
  return "the design would take too long to draw at " + std::to_string(width) + " x " +
         std::to_string(height);
}

PixelRect CanvasExtent(const CanvasDesign& design, int width, int height) {
  // Drawn, not worked out: strokes in the mixing modes may clear what others
  // drew, and what shows is what counts.
  if (CanvasWork(design, width, height) > kCanvasWorkLimit) return {};
  std::optional<Surface> surface;
  try {
    surface.emplace(width, height);
  } catch (const std::bad_alloc&) {
    return {};
  }
  DrawCanvasImage(design, *surface);
  const uint32_t back = Surface::ToPixel(design.BackColor);
  PixelRect drawn{width, height, 0, 0};
  for (int y = 0; y < height; ++y) {
    const uint32_t* row = surface->bits() + static_cast<size_t>(y) * width;
    int left = 0, right = width;
    while (left < right && row[left] == back) ++left;
    if (left == right) continue;
    while (row[right - 1] == back) --right;
    drawn = {std::min(drawn.left, left), std::min(drawn.top, y), std::max(drawn.right, right),
             y + 1};
  }
  return drawn.empty() ? PixelRect{} : drawn;
}

}  // namespace kalo
