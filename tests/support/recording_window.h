// Canvases that record every stroke and what is shown over them (or only
// count the strokes) instead of drawing, so that tests can check what a
// viewer would see.
#pragma once

#include <cmath>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/canvas.h"
#include "core/overlay.h"

namespace kalo::test {

// The parts of the overlay, as the saver's own window shows them.
enum class Control {
  Banner,      // top banner
  Hint,        // centred hint between pictures
  DesignName,  // the design type's name
  Footer,      // footer
};

// The caption the stand-in gives the banner for the companion's hint.
inline constexpr const char* kCompanionHint = "companion hint";

struct Stroke {
  enum Kind { kLine, kDot } kind;
  Single x1, y1, x2, y2;  // a dot has x2 == x1, y2 == y1
  Long colour;
  Integer width;
  Integer mode;
  long yields_before;  // pacer yields seen before this stroke (if a pacer is attached)
};

// The pen, background and overlay of a stand-in window, kept as plain values,
// the overlay's parts laid out as the saver's window lays them out; the
// window built on it decides what becomes of strokes, clears and pushes.
class PenAndControls : public Canvas, public Overlay {
 public:
  PenAndControls(Single width, Single height) : w_(width), h_(height) {}

  Long ForeColor() const override { return fore_; }
  void SetForeColor(Long c) override { fore_ = c; }
  Integer DrawWidth() const override { return width_; }
  void SetDrawWidth(Integer w) override { width_ = w; }
  RasterMode DrawMode() const override { return mode_; }
  void SetDrawMode(RasterMode m) override { mode_ = m; }
  Long BackColor() const override { return back_; }
  void SetBackColor(Long c) override { back_ = c; }
  Single ScaleWidth() const override { return w_; }
  Single ScaleHeight() const override { return h_; }

  void LayOut() override {
    auto centred = [this](Control c) { return (w_ - Width(c)) / 2; };
    Move(Control::Footer, centred(Control::Footer), h_ - Height(Control::Footer) + 1);
    Move(Control::Hint, centred(Control::Hint), (h_ - Height(Control::Hint)) / 2);
    Move(Control::Banner, centred(Control::Banner), 5);
  }
  void ColourFooter(Long back, Long fore) override {
    ctl_[Control::Footer].back = back;
    ctl_[Control::Footer].fore = fore;
  }
  void ShowCompanionHint() override {
    SetCaption(Control::Banner, kCompanionHint);
    SetVisible(Control::Banner, true);
  }
  void ShowHint() override { SetVisible(Control::Hint, true); }
  void HideHint() override { SetVisible(Control::Hint, false); }
  bool HintShown() const override { return IsVisible(Control::Hint); }
  void NameDesign(const std::string& name) override { SetCaption(Control::DesignName, name); }
  void CentreDesignName(Single x, Single y) override {
    const double width = Width(Control::DesignName), height = Height(Control::DesignName);
    Move(Control::DesignName, static_cast<Single>(x - width / 2),
         static_cast<Single>(y - height / 2));
  }
  void ShowDesignName() override { SetVisible(Control::DesignName, true); }
  void HideDesignName() override { SetVisible(Control::DesignName, false); }

  void SetCaption(Control c, const std::string& t) { ctl_[c].caption = t; }
  std::string Caption(Control c) const { return get(c).caption; }
  void SetVisible(Control c, bool v) { ctl_[c].visible = v; }
  bool IsVisible(Control c) const { return get(c).visible; }
  void Move(Control c, Single l, Single t) {
    ctl_[c].left = l;
    ctl_[c].top = t;
  }
  Single Left(Control c) const { return get(c).left; }
  Single Top(Control c) const { return get(c).top; }
  Single Width(Control c) const { return get(c).width; }
  Single Height(Control c) const { return get(c).height; }
  void SetSize(Control c, Single w, Single h) {
    ctl_[c].width = w;
    ctl_[c].height = h;
  }
  Long ControlBack(Control c) const { return get(c).back; }
  Long ControlFore(Control c) const { return get(c).fore; }

 private:
  struct Ctl {
    std::string caption;
    bool visible = false;
    Single left = 0, top = 0, width = 100, height = 25;
    Long back = 0, fore = 0;
  };
  const Ctl& get(Control c) const {
    static const Ctl empty;
    auto it = ctl_.find(c);
    return it == ctl_.end() ? empty : it->second;
  }
  Single w_, h_;
  Long fore_ = 0, back_ = 0;
  Integer width_ = 1;
  RasterMode mode_ = RasterMode::CopyPen;
  std::map<Control, Ctl> ctl_;
};

class RecordingWindow final : public PenAndControls {
 public:
  RecordingWindow(Single width = 1920, Single height = 1080) : PenAndControls(width, height) {}

  // Lets strokes note how many yields came before them.
  void AttachYieldCounter(const long* yields) { yields_ = yields; }

  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    Note(Stroke::kLine, x1, y1, x2, y2, colour);
  }
  void PSet(Single x, Single y, Long colour) override { Note(Stroke::kDot, x, y, x, y, colour); }
  void Cls() override {
    ++clears;
    strokes_before_clear.push_back(strokes.size());
  }
  void Refresh() override { ++refreshes; }

  size_t lines() const {
    size_t n = 0;
    for (const auto& s : strokes) n += s.kind == Stroke::kLine;
    return n;
  }
  size_t dots() const { return strokes.size() - lines(); }

  std::vector<Stroke> strokes;
  std::vector<size_t> strokes_before_clear;
  int clears = 0;
  int refreshes = 0;

 private:
  void Note(Stroke::Kind kind, Single x1, Single y1, Single x2, Single y2, Long colour) {
    strokes.push_back({kind, x1, y1, x2, y2, colour, DrawWidth(), static_cast<Integer>(DrawMode()),
                       yields_ ? *yields_ : 0});
  }
  const long* yields_ = nullptr;
};

// Keeps no strokes, only counts them and hands each to an optional check, so
// that long runs stay small in memory.
class CountingWindow final : public PenAndControls {
 public:
  CountingWindow(Single width = 1920, Single height = 1080) : PenAndControls(width, height) {}

  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override {
    ++lines;
    Note(x1, y1, x2, y2, colour);
  }
  void PSet(Single x, Single y, Long colour) override {
    ++dots;
    Note(x, y, x, y, colour);
  }
  void Cls() override { ++clears; }
  void Refresh() override {}

  long strokes() const { return lines + dots; }

  long lines = 0, dots = 0, clears = 0, non_finite = 0;
  std::function<void(Long colour, Integer width, Integer mode)> on_stroke;

 private:
  void Note(Single x1, Single y1, Single x2, Single y2, Long colour) {
    if (!std::isfinite(x1) || !std::isfinite(y1) || !std::isfinite(x2) || !std::isfinite(y2)) {
      ++non_finite;
    }
    if (on_stroke) on_stroke(colour, DrawWidth(), static_cast<Integer>(DrawMode()));
  }
};

}  // namespace kalo::test
