// The drawing half of every saver window on a screen: the persistent image
// the designs are drawn into, the pen they are drawn with, and when the
// image's changes go out. Where the image is shown -- a window of our own, or
// a window a screen-saver host gives us -- is the business of the class that
// shows it.
#pragma once

#include <QtGlobal>
#include <chrono>
#include <functional>
#include <utility>

#include "surface/image_window.h"

namespace kalo {

// Plain counts of what the window drew and showed, for measuring the saver;
// keeping them costs an integer increment a stroke.
struct ScreenFigures {
  long long strokes = 0;        // Line and PSet calls
  long long pushes = 0;         // paints of the image onto the screen
  long long pixels_pushed = 0;  // image pixels those paints copied
  // When a paint first showed a stroke; the clock's epoch until then.
  std::chrono::steady_clock::time_point first_stroke_shown{};
};

// The image a window owns, made before the pen that draws into it.
struct OwnedImage {
  OwnedImage(int width, int height) : image(width, height) {}
  Surface image;
};

class SurfaceWindow : private OwnedImage, public SurfacePen {
 public:
  Surface& surface() { return surface_; }
  const Surface& surface() const { return surface_; }
  const ScreenFigures& figures() const { return figures_; }
  bool unloaded() const { return unloaded_; }

  // Nanoseconds on a clock that never steps back; refreshes are timed on the
  // system's steady clock unless another is given.
  using Clock = std::function<qint64()>;
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  // Called with every new background colour, after the image is cleared to
  // it: for what shows the background beside the image.
  void WatchBackColor(std::function<void(Long)> watcher) { back_watcher_ = std::move(watcher); }

  // After unloading nothing is drawn.
  void Line(Single x1, Single y1, Single x2, Single y2, Long colour) override;
  void PSet(Single x, Single y, Long colour) override;
  void Cls() override;
  void SetBackColor(Long colour) override;
  // A refresh right after a push would only add a repaint: the changes then
  // wait for the pacer's next push, at most one push interval away, and a
  // sleep always pushes before it waits.
  void Refresh() override;

 protected:
  SurfaceWindow(int width, int height);

  // Shows the image's changes now, whenever the last push went out.
  virtual void RefreshNow() = 0;
  // Notes that the image's changes have just gone out.
  void NotePush() { last_push_ns_ = clock_(); }

  ScreenFigures figures_;
  bool unloaded_ = false;

 private:
  // When the image's changes last went out, so that refreshes in quick
  // succession share one push.
  Clock clock_;
  qint64 last_push_ns_ = -1;
  std::function<void(Long)> back_watcher_;
};

}  // namespace kalo
