#include "display/canvas_replay.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include "platform/image_window.h"
#include "platform/numbers.h"

namespace kalo {

namespace {

// The record keeps seven digits of the stretch. A stretch that reads as the
// window's own proportions was most likely those proportions, worked out as
// the saver works them out; taking that exact value keeps every point where
// the saver put it.
Single RecordedStretch(Single recorded, const DesignWindow& win) {
  if (win.ScaleHeight() <= 0) return recorded;
  const Single ratio = win.ScaleWidth() / win.ScaleHeight();
  char text[32];
  const auto printed =
      std::to_chars(text, text + sizeof text, ratio, std::chars_format::general, 7);
  float read = 0;
  std::from_chars(text, printed.ptr, read);
  return read == recorded ? ratio : recorded;
}

// A window that draws nothing but adds up what each stroke would cost the
// surface: the pixels of its band, clipped as the surface clips it.
class WorkMeter final : public DesignWindow {
 public:
  struct TooMuch {};

  WorkMeter(int width, int height, double limit) : w_(width), h_(height), limit_(limit) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long) override {
    const double r = width_ >= 2 ? width_ / 2.0 : 0.5;
    const double length = ClippedLength(x1, y1, x2, y2, r + 1);
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
  Integer DrawMode() const override { return mode_; }
  void SetDrawMode(Integer mode) override { mode_ = mode; }
  Long BackColor() const override { return 0; }
  void SetBackColor(Long) override {}
  void Cls() override {}
  void Refresh() override {}
  Single ScaleWidth() const override { return static_cast<Single>(w_); }
  Single ScaleHeight() const override { return static_cast<Single>(h_); }
  void SetCaption(Control, const std::string&) override {}
  std::string Caption(Control) const override { return ""; }
  void SetVisible(Control, bool) override {}
  bool IsVisible(Control) const override { return false; }
  void Move(Control, Single, Single) override {}
  Single Left(Control) const override { return 0; }
  Single Top(Control) const override { return 0; }
  Single Width(Control) const override { return 0; }
  Single Height(Control) const override { return 0; }
  void SetColours(Control, Long, Long) override {}

 private:
  static constexpr double kStrokeCost = 40;

  void Add(double pixels) {
    work_ += pixels + kStrokeCost;
    if (work_ > limit_) throw TooMuch{};
  }

  // The length of the part of the segment within the image grown by `margin`
  // on every side; -1 when no part of it is.
  double ClippedLength(double x1, double y1, double x2, double y2, double margin) const {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2))
      return -1;
    double t0 = 0, t1 = 1;
    const double dx = x2 - x1, dy = y2 - y1;
    auto edge = [&](double p, double q) {
      if (p == 0) return q >= 0;
      const double t = q / p;
      if (p < 0) {
        if (t > t1) return false;
        t0 = std::max(t0, t);
      } else {
        if (t < t0) return false;
        t1 = std::min(t1, t);
      }
      return true;
    };
    if (!edge(-dx, x1 + margin) || !edge(dx, w_ + margin - x1) || !edge(-dy, y1 + margin) ||
        !edge(dy, h_ + margin - y1))
      return -1;
    return (t1 - t0) * std::hypot(dx, dy);
  }

  int w_, h_;
  double limit_;
  double work_ = 0;
  Integer width_ = 1, mode_ = 13;
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

void PrepareCanvasReplay(DesignState& s, const DesignWindow& win) {
  s.CenterX = static_cast<Single>(Int(win.ScaleWidth() / 2));
  s.CenterY = static_cast<Single>(Int(win.ScaleHeight() / 2));
  s.HalfWidth = s.CenterX;
  s.SwitchesGiven = False;
  s.ShowDesignName = False;
  s.GonReach = 1.8f;
  s.AngleReach = 10;
  s.BoxReach = 1.04f;
}

void DrawCanvasLayer(EngineContext& e, const CanvasLayer& layer) {
  DesignState& s = e.s;
  ApplyCanvasLayer(layer, s);
  s.XStretch = RecordedStretch(layer.XStretch, e.win);
  // The revolutions come from the radii, as the set-up worked them out.
  if (s.DesignType == KaloSpiral) CalcRevolutions(s);
  e.win.SetForeColor(layer.ForeColor);
  e.win.SetDrawWidth(layer.DrawWidth);
  e.win.SetDrawMode(layer.DrawMode);
  DrawDesign(e);
}

void DrawCanvas(EngineContext& e, const CanvasDesign& design) {
  e.win.SetBackColor(design.BackColor);
  e.win.Cls();
  e.s.DesignRecord.clear();
  for (const CanvasLayer& layer : design.layers) DrawCanvasLayer(e, layer);
}

void DrawCanvasImage(const CanvasDesign& design, Surface& surface) {
  ImageWindow win(surface);
  NoPauses pacer;
  NoRandom rnd;
  DesignState s;
  PrepareCanvasReplay(s, win);
  EngineContext e{s, win, pacer, rnd};
  DrawCanvas(e, design);
}

double CanvasWork(const CanvasDesign& design, int width, int height, double limit) {
  WorkMeter meter(width, height, limit);
  StepMeter steps(meter);
  NoRandom rnd;
  DesignState s;
  PrepareCanvasReplay(s, meter);
  EngineContext e{s, meter, steps, rnd};
  try {
    DrawCanvas(e, design);
  } catch (const WorkMeter::TooMuch&) {
  }
  return meter.work();
}

std::string CheckCanvasWork(const CanvasDesign& design, int width, int height) {
  if (CanvasWork(design, width, height) <= kCanvasWorkLimit) return "";
  return "the design would take too long to draw at " + std::to_string(width) + " x " +
         std::to_string(height);
}

}  // namespace kalo
