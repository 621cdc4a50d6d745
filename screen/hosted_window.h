// The saver window when a screen-saver host owns the screen: the designs are
// drawn into the window the host gives us (or the screen's root), straight
// through X in that window's own visual. Nothing of ours appears on the
// screen but the picture: no window, no overlay, no grab, no pointer change,
// no input.
#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "screen/surface_window.h"
#include "surface/host_view.h"
#include "surface/surface.h"

namespace kalo {

class HostedWindow final : public SurfaceWindow, public QAbstractNativeEventFilter {
 public:
  // `gone` runs once when the host's window is destroyed, or when memory
  // runs out while the window's events are handled.
  explicit HostedWindow(std::function<void()> gone);
  ~HostedWindow() override;
  HostedWindow(const HostedWindow&) = delete;
  HostedWindow& operator=(const HostedWindow&) = delete;

  // Takes window `id` (0: the screen's virtual root, else its root) on Qt's
  // X connection: learns its size and visual and asks to hear when it is
  // resized, exposed or destroyed. Returns what is wrong when it cannot be
  // drawn in, empty on success.
  std::string Attach(uint32_t id);
  // Hands the part of the picture changed since the last push to the window.
  void PushChanges();
  // Stops drawing for good and leaves the window as the host had it.
  void Unload();

  uint32_t window() const { return window_; }
  const HostView& view() const { return view_; }
  // Called after every push, for measuring the saver.
  void SetPushWatcher(std::function<void()> watcher) { push_watcher_ = std::move(watcher); }

  // The window's events, as Qt's X connection delivers them.
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

 private:
  void RefreshNow() override { PushChanges(); }

  // One of the window's events; whether Qt is to hear no more of it.
  bool Handle(xcb_generic_event_t* event);
  std::string Describe(const std::string& what) const;
  xcb_window_t VirtualRoot(xcb_window_t root) const;
  // Fits the picture to a window of the given size, keeping what is drawn.
  void Fit(int width, int height);
  // Shows the window's pixels within `area` (window coordinates) afresh.
  void Repaint(const PixelRect& area);
  // Where the picture stands in the window, and the background around it.
  PixelRect Picture() const;
  void FillMargins(const PixelRect& area);
  // Shows the picture's pixels `part` (picture coordinates, after scaling).
  void Show(const PixelRect& part);
  void Put(const uint8_t* data, int row_bytes, int left, int top, int width, int height);
  void Gone();
  bool Live() const { return !unloaded_ && !gone_ && conn_; }

  std::function<void()> gone_callback_;
  xcb_connection_t* conn_ = nullptr;
  xcb_window_t window_ = 0;
  bool is_root_ = false;   // the screen's own root: drawn on and then given back
  uint32_t own_mask_ = 0;  // what this program had asked of the window before
  bool selected_ = false;  // our events are asked for, to be given back
  xcb_gcontext_t gc_ = 0;
  uint8_t depth_ = 24;
  int window_width_ = 1, window_height_ = 1;
  int screen_width_ = 1, screen_height_ = 1;
  std::optional<PixelPacker> packer_;
  HostView view_;
  Downscaler scaler_;
  std::vector<uint32_t> scaled_;  // a preview's shrunk pixels, before packing
  std::vector<uint8_t> packed_;   // pixels in the window's layout
  PixelRect exposed_;             // window area to show again, gathered from exposures
  bool margins_stale_ = false;    // a preview's margins still show an old background
  bool gone_ = false;

  std::function<void()> push_watcher_;
};

}  // namespace kalo
