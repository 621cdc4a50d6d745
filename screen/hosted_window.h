// The saver window when a screen-saver host owns the screen: the designs are
// drawn into the window the host gives us (or the screen's root), straight
// through X in that window's own visual, by a quiet loop on a thread of its
// own. Nothing of ours appears on the screen but the picture: no window, no
// overlay, no grab, no pointer change, no input. The window's events come on
// Qt's thread and are handed to the loop, which resizes and repaints the
// picture at its next hand-over.
#pragma once

#include <xcb/xcb.h>

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/settings_texts.h"
#include "screen/quiet_loop.h"
#include "screen/surface_window.h"
#include "surface/host_view.h"
#include "surface/surface.h"

namespace kalo {

class HostedWindow final : public LoopScreen, public QAbstractNativeEventFilter {
 public:
  // `gone` runs once, on Qt's thread, when the host's window is destroyed or
  // when memory runs out for the picture.
  explicit HostedWindow(std::function<void()> gone);
  ~HostedWindow() override;
  HostedWindow(const HostedWindow&) = delete;
  HostedWindow& operator=(const HostedWindow&) = delete;

  // Takes window `id` (0: the screen's virtual root, else its root) on Qt's
  // X connection: learns its size and visual and asks to hear when it is
  // resized, exposed or destroyed. Returns what is wrong when it cannot be
  // drawn in, empty on success.
  std::string Attach(uint32_t id);
  // Starts the designs in the attached window, drawn for the switches of
  // `command_line` and the settings `settings` from the random sequence
  // `seed`; `choose` as for QuietLoop::Start. Throws std::bad_alloc when
  // the picture does not fit in memory.
  void Start(const std::string& command_line, const SettingsTexts& settings, uint64_t seed,
             QuietLoop::PacerChoice choose = {});
  // Stops drawing for good, waiting for the loop, and leaves the window as
  // the host had it.
  void Unload();

  uint32_t window() const { return window_; }
  // The size the designs are drawn at; read before Start or after Unload.
  PictureSize picture_size() const { return {view_.surface_width, view_.surface_height}; }
  // What was drawn and shown, and how the loop was paced; read before Start
  // or after Unload.
  ScreenFigures figures() const;
  PacerFigures pacing() const { return loop_ ? loop_->pacing() : PacerFigures{}; }
  // Called after every push, on the loop's thread, for measuring the saver.
  void SetPushWatcher(std::function<void()> watcher) { push_watcher_ = std::move(watcher); }

  // The window's events, as Qt's X connection delivers them.
  bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

  // The loop's side: resizes and repaints what the window's events asked
  // for, then shows what changed.
  void Hand(Surface& picture, Long back_colour) override;
  void OutOfMemory() override;

 private:
  // One of the window's events; whether Qt is to hear no more of it.
  bool Handle(xcb_generic_event_t* event);
  std::string Describe(const std::string& what) const;
  xcb_window_t VirtualRoot(xcb_window_t root) const;
  // The loop's side from here to Put.
  // Fits the picture to a window of the given size, keeping what is drawn.
  void Fit(Surface& picture, int width, int height, Long back_colour);
  // Shows the window's pixels within `area` (window coordinates) afresh.
  void Repaint(const Surface& picture, const PixelRect& area, Long back_colour);
  // Where the picture stands in the window, and the background around it.
  PixelRect Picture() const;
  void FillMargins(const PixelRect& area, Long back_colour);
  // Shows the picture's pixels `part` (picture coordinates, after scaling).
  void Show(const Surface& picture, const PixelRect& part);
  void Put(const uint8_t* data, int row_bytes, int left, int top, int width, int height);
  void Gone();
  bool Live() const { return !unloaded_ && !gone_ && conn_; }

  std::function<void()> gone_callback_;
  // Where the loop's word that memory ran out is taken to Qt's thread; calls
  // still on their way when the window goes are dropped with it.
  QObject on_qt_thread_;
  xcb_connection_t* conn_ = nullptr;
  xcb_window_t window_ = 0;
  bool is_root_ = false;   // the screen's own root: drawn on and then given back
  uint32_t own_mask_ = 0;  // what this program had asked of the window before
  bool selected_ = false;  // our events are asked for, to be given back
  xcb_gcontext_t gc_ = 0;
  uint8_t depth_ = 24;
  int screen_width_ = 1, screen_height_ = 1;
  std::optional<PixelPacker> packer_;

  // What the window's events ask of the loop, under asked_mutex_.
  std::mutex asked_mutex_;
  int asked_width_ = 1, asked_height_ = 1;  // the window's size
  PixelRect exposed_;   // window area to show again, from whole runs of exposures
  PixelRect exposing_;  // Qt's thread's: a run of exposures still coming in

  // The loop's own (Qt's thread's before Start and after Unload).
  int window_width_ = 1, window_height_ = 1;
  HostView view_;
  Downscaler scaler_;
  std::vector<uint32_t> scaled_;  // a preview's shrunk pixels, before packing
  std::vector<uint8_t> packed_;   // pixels in the window's layout
  Long margins_colour_ = -1;      // what a preview's margins show; -1: not yet drawn
  ScreenFigures figures_;
  std::function<void()> push_watcher_;

  std::atomic<bool> unloaded_{false};
  std::atomic<bool> gone_{false};
  std::unique_ptr<QuietLoop> loop_;
};

}  // namespace kalo
