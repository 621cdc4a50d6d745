#include "screen/hosted_window.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QObject>
#include <QScreen>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <utility>

#include "system/out_of_memory.h"

namespace kalo {

namespace {

// Replies and errors from xcb, freed when they go.
template <class T>
struct FreeDeleter {
  void operator()(T* p) const { std::free(p); }
};
template <class T>
using Reply = std::unique_ptr<T, FreeDeleter<T>>;

// The reply to a request, or null; an error (a window gone meanwhile) comes
// back here rather than as an event for Qt to report.
template <class T, class Cookie>
Reply<T> Answer(T* (*reply)(xcb_connection_t*, Cookie, xcb_generic_error_t**), xcb_connection_t* c,
                Cookie cookie) {
  xcb_generic_error_t* error = nullptr;
  Reply<T> r(reply(c, cookie, &error));
  std::free(error);
  return r;
}

PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
          std::min(a.bottom, b.bottom)};
}

xcb_screen_t* ScreenWithRoot(const xcb_setup_t* setup, xcb_window_t root) {
  for (auto it = xcb_setup_roots_iterator(setup); it.rem; xcb_screen_next(&it))
    if (it.data->root == root) return it.data;
  return nullptr;
}

xcb_screen_t* NumberedScreen(const xcb_setup_t* setup, int number) {
  auto it = xcb_setup_roots_iterator(setup);
  for (int i = 0; it.rem && i < number; ++i) xcb_screen_next(&it);
  return it.rem ? it.data : xcb_setup_roots_iterator(setup).data;
}

const xcb_visualtype_t* FindVisual(const xcb_screen_t* screen, xcb_visualid_t id) {
  for (auto d = xcb_screen_allowed_depths_iterator(screen); d.rem; xcb_depth_next(&d)) {
    for (auto v = xcb_depth_visuals_iterator(d.data); v.rem; xcb_visualtype_next(&v))
      if (v.data->visual_id == id) return v.data;
  }
  return nullptr;
}

}  // namespace

HostedWindow::HostedWindow(std::function<void()> gone) : gone_callback_(std::move(gone)) {}

HostedWindow::~HostedWindow() { Unload(); }

std::string HostedWindow::Describe(const std::string& what) const {
  char id[16];
  std::snprintf(id, sizeof id, "0x%x", window_);
  return (is_root_ ? std::string("the screen's root window ") : std::string("window ")) + id + " " +
         what;
}

xcb_window_t HostedWindow::VirtualRoot(xcb_window_t root) const {
  // Window managers that draw their own desktop mark it on one of the root's
  // children; savers draw there, or the desktop would hide them.
  static const char kName[] = "__SWM_VROOT";
  const auto atom =
      Answer(xcb_intern_atom_reply, conn_, xcb_intern_atom(conn_, 1, sizeof kName - 1, kName));
  if (!atom || atom->atom == XCB_ATOM_NONE) return root;
  const auto tree = Answer(xcb_query_tree_reply, conn_, xcb_query_tree(conn_, root));
  if (!tree) return root;
  const xcb_window_t* children = xcb_query_tree_children(tree.get());
  const int count = xcb_query_tree_children_length(tree.get());
  std::vector<xcb_get_property_cookie_t> asked;
  asked.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i)
    asked.push_back(xcb_get_property(conn_, 0, children[i], atom->atom, XCB_ATOM_WINDOW, 0, 1));
  xcb_window_t found = root;
  for (xcb_get_property_cookie_t cookie : asked) {
    const auto p = Answer(xcb_get_property_reply, conn_, cookie);
    if (found == root && p && p->type == XCB_ATOM_WINDOW && p->format == 32 &&
        xcb_get_property_value_length(p.get()) >= 4)
      found = *static_cast<const xcb_window_t*>(xcb_get_property_value(p.get()));
  }
  return found ? found : root;
}

std::string HostedWindow::Attach(uint32_t id) {
  auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  conn_ = x11 ? x11->connection() : nullptr;
  if (!conn_) return "drawing in a screen-saver host's window needs an X display";
  const xcb_setup_t* setup = xcb_get_setup(conn_);
  int screen_number = 0;
  char* host = nullptr;
  int display = 0;
  if (xcb_parse_display(nullptr, &host, &display, &screen_number)) std::free(host);
  const xcb_window_t default_root = NumberedScreen(setup, screen_number)->root;
  window_ = id ? id : VirtualRoot(default_root);
  is_root_ = window_ == default_root;

  const auto attributes =
      Answer(xcb_get_window_attributes_reply, conn_, xcb_get_window_attributes(conn_, window_));
  if (!attributes) return Describe("does not exist");
  if (attributes->_class == XCB_WINDOW_CLASS_INPUT_ONLY)
    return Describe("takes input only and cannot be drawn in");
  // Events are asked for on top of what this program already hears of the
  // window: on the root, Qt listens too. Button presses are never asked for:
  // only one client may have them, and they are the host's.
  own_mask_ = attributes->your_event_mask;
  const uint32_t mask = own_mask_ | XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_EXPOSURE;
  const Reply<xcb_generic_error_t> select_error(xcb_request_check(
      conn_, xcb_change_window_attributes_checked(conn_, window_, XCB_CW_EVENT_MASK, &mask)));
  if (select_error) return Describe("does not exist");
  selected_ = true;
  const auto geometry = Answer(xcb_get_geometry_reply, conn_, xcb_get_geometry(conn_, window_));
  if (!geometry) return Describe("does not exist");

  const xcb_screen_t* screen = ScreenWithRoot(setup, geometry->root);
  const xcb_visualtype_t* visual = screen ? FindVisual(screen, attributes->visual) : nullptr;
  if (!visual || (visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR &&
                  visual->_class != XCB_VISUAL_CLASS_DIRECT_COLOR))
    return Describe("has a colour-mapped visual, which the saver cannot draw in");
  PixelLayout layout;
  layout.depth = geometry->depth;
  layout.red_mask = visual->red_mask;
  layout.green_mask = visual->green_mask;
  layout.blue_mask = visual->blue_mask;
  layout.msb_first = setup->image_byte_order == XCB_IMAGE_ORDER_MSB_FIRST;
  layout.bits_per_pixel = 0;
  for (auto f = xcb_setup_pixmap_formats_iterator(setup); f.rem; xcb_format_next(&f)) {
    if (f.data->depth == geometry->depth) {
      layout.bits_per_pixel = f.data->bits_per_pixel;
      layout.scanline_pad = f.data->scanline_pad;
    }
  }
  if (!PixelPacker::Supports(layout))
    return Describe("has a " + std::to_string(layout.depth) +
                    "-bit visual, which the saver cannot draw in");
  packer_.emplace(layout);
  depth_ = geometry->depth;

  gc_ = xcb_generate_id(conn_);
  const uint32_t no_exposures = 0;
  xcb_create_gc(conn_, gc_, window_, XCB_GC_GRAPHICS_EXPOSURES, &no_exposures);

  // A preview shows the designs as the screen would.
  screen_width_ = screen->width_in_pixels;
  screen_height_ = screen->height_in_pixels;
  if (const QScreen* primary = QGuiApplication::primaryScreen()) {
    const QSize size = primary->geometry().size() * primary->devicePixelRatio();
    if (!size.isEmpty()) {
      screen_width_ = size.width();
      screen_height_ = size.height();
    }
  }
  QCoreApplication::instance()->installNativeEventFilter(this);
  asked_width_ = window_width_ = std::max<int>(1, geometry->width);
  asked_height_ = window_height_ = std::max<int>(1, geometry->height);
  view_ = ChooseHostView(window_width_, window_height_, screen_width_, screen_height_);
  if (view_.scaled)
    scaler_.SetSizes(view_.surface_width, view_.surface_height, view_.width, view_.height);
  return "";
}

void HostedWindow::Start(const std::string& command_line, const SettingsTexts& settings,
                         uint64_t seed, QuietLoop::PacerChoice choose) {
  if (!Live() || loop_) return;
  // The whole window is shown at the loop's first hand-over, made here.
  exposed_ = {0, 0, window_width_, window_height_};
  loop_ = std::make_unique<QuietLoop>(*this, view_.surface_width, view_.surface_height,
                                      command_line, settings, seed);
  loop_->Start(std::move(choose));
}

ScreenFigures HostedWindow::figures() const {
  ScreenFigures f = figures_;
  if (loop_) f.strokes = loop_->strokes();
  return f;
}

void HostedWindow::Fit(Surface& picture, int width, int height, Long back_colour) {
  window_width_ = width;
  window_height_ = height;
  const HostView v = ChooseHostView(window_width_, window_height_, screen_width_, screen_height_);
  // The loop reads the new size at its next use.
  picture.ResizeKeeping(v.surface_width, v.surface_height, back_colour);
  view_ = v;
  if (v.scaled) scaler_.SetSizes(v.surface_width, v.surface_height, v.width, v.height);
  picture.TakeDirty();
}

void HostedWindow::Hand(Surface& picture, Long back_colour) {
  if (!Live()) {
    picture.TakeDirty();
    return;
  }
  int width, height;
  PixelRect exposed;
  {
    std::lock_guard lock(asked_mutex_);
    width = asked_width_;
    height = asked_height_;
    exposed = exposed_;
    exposed_ = {};
  }
  if (width != window_width_ || height != window_height_) {
    Fit(picture, width, height, back_colour);
    exposed = {0, 0, window_width_, window_height_};
  }
  // A new background is the preview's margins' too.
  if (margins_colour_ != back_colour) {
    margins_colour_ = back_colour;
    FillMargins({0, 0, window_width_, window_height_}, back_colour);
  }
  Repaint(picture, exposed, back_colour);
  const PixelRect r = picture.TakeDirty();
  if (!r.empty()) {
    Show(picture, view_.scaled ? scaler_.Covering(r) : r);
    ++figures_.pushes;
    figures_.pixels_pushed += static_cast<long long>(r.width()) * r.height();
    if (loop_ && loop_->strokes() > 0 &&
        figures_.first_stroke_shown == std::chrono::steady_clock::time_point{})
      figures_.first_stroke_shown = std::chrono::steady_clock::now();
  }
  xcb_flush(conn_);
  if (!r.empty() && push_watcher_) push_watcher_();
}

void HostedWindow::OutOfMemory() {
  // On the loop's thread: the saver is ended from Qt's, as for a window that
  // went, and the program then says why.
  QMetaObject::invokeMethod(
      &on_qt_thread_,
      [this] {
        NoteOutOfMemory();
        if (gone_callback_) gone_callback_();
      },
      Qt::QueuedConnection);
}

PixelRect HostedWindow::Picture() const {
  return {view_.left, view_.top, view_.left + view_.width, view_.top + view_.height};
}

void HostedWindow::FillMargins(const PixelRect& area, Long back_colour) {
  const PixelRect window{0, 0, window_width_, window_height_};
  const PixelRect picture = Picture();
  // A preview's margins show the background, as the screen around a
  // design would.
  const PixelRect margins[] = {
      {window.left, window.top, window.right, picture.top},
      {window.left, picture.bottom, window.right, window.bottom},
      {window.left, picture.top, picture.left, picture.bottom},
      {picture.right, picture.top, window.right, picture.bottom},
  };
  std::vector<xcb_rectangle_t> fills;
  for (const PixelRect& m : margins) {
    const PixelRect r = Intersect(m, area);
    if (!r.empty())
      fills.push_back({static_cast<int16_t>(r.left), static_cast<int16_t>(r.top),
                       static_cast<uint16_t>(r.width()), static_cast<uint16_t>(r.height())});
  }
  if (fills.empty()) return;
  const uint32_t colour = packer_->Value(Surface::ToPixel(back_colour));
  xcb_change_gc(conn_, gc_, XCB_GC_FOREGROUND, &colour);
  xcb_poly_fill_rectangle(conn_, window_, gc_, static_cast<uint32_t>(fills.size()), fills.data());
}

void HostedWindow::Repaint(const Surface& picture, const PixelRect& area, Long back_colour) {
  const PixelRect a = Intersect(area, {0, 0, window_width_, window_height_});
  if (a.empty()) return;
  FillMargins(a, back_colour);
  const PixelRect part = Intersect(a, Picture());
  Show(picture, {part.left - view_.left, part.top - view_.top, part.right - view_.left,
                 part.bottom - view_.top});
}

void HostedWindow::Show(const Surface& picture, const PixelRect& part) {
  if (part.empty()) return;
  const int w = part.width(), h = part.height();
  const uint32_t* source;
  size_t stride;
  if (view_.scaled) {
    scaled_.resize(static_cast<size_t>(w) * h);
    scaler_.Scale(picture.bits(), picture.width(), part, scaled_.data());
    source = scaled_.data();
    stride = static_cast<size_t>(w);
  } else {
    stride = static_cast<size_t>(picture.width());
    source = picture.bits() + static_cast<size_t>(part.top) * stride + part.left;
  }
  // Large pictures go in bands, each within the longest request the server
  // takes.
  const int row_bytes = packer_->RowBytes(w);
  const size_t longest = static_cast<size_t>(xcb_get_maximum_request_length(conn_)) * 4 -
                         sizeof(xcb_put_image_request_t);
  const int band = std::max(1, static_cast<int>(longest / static_cast<size_t>(row_bytes)));
  for (int y = 0; y < h; y += band) {
    const int rows = std::min(band, h - y);
    packed_.resize(static_cast<size_t>(rows) * row_bytes);
    for (int r = 0; r < rows; ++r)
      packer_->Pack(source + (static_cast<size_t>(y) + r) * stride, w,
                    packed_.data() + static_cast<size_t>(r) * row_bytes);
    Put(packed_.data(), row_bytes, view_.left + part.left, view_.top + part.top + y, w, rows);
  }
}

void HostedWindow::Put(const uint8_t* data, int row_bytes, int left, int top, int width,
                       int height) {
  xcb_put_image(conn_, XCB_IMAGE_FORMAT_Z_PIXMAP, window_, gc_, static_cast<uint16_t>(width),
                static_cast<uint16_t>(height), static_cast<int16_t>(left),
                static_cast<int16_t>(top), 0, depth_,
                static_cast<uint32_t>(row_bytes) * static_cast<uint32_t>(height), data);
}

void HostedWindow::Gone() {
  if (gone_) return;
  gone_ = true;
  if (gone_callback_) gone_callback_();
}

void HostedWindow::Unload() {
  if (unloaded_.exchange(true)) return;
  // The loop draws in the window until it has stopped; only then is the
  // window given back.
  if (loop_) loop_->Stop();
  if (!conn_) return;
  if (QCoreApplication::instance()) QCoreApplication::instance()->removeNativeEventFilter(this);
  if (selected_ && !gone_) {
    xcb_change_window_attributes(conn_, window_, XCB_CW_EVENT_MASK, &own_mask_);
    // The desktop's own background comes back where the designs were.
    if (is_root_) xcb_clear_area(conn_, 1, window_, 0, 0, 0, 0);
  }
  if (gc_) xcb_free_gc(conn_, gc_);
  xcb_flush(conn_);
}

bool HostedWindow::nativeEventFilter(const QByteArray& type, void* message, qintptr*) {
  if (type != "xcb_generic_event_t" || !conn_) return false;
  return Handle(static_cast<xcb_generic_event_t*>(message));
}

bool HostedWindow::Handle(xcb_generic_event_t* event) {
  switch (event->response_type & 0x7F) {
    case 0: {
      // Drawing into a window the host has just destroyed fails; that is
      // the host's word that the saver is done, not a fault to report.
      // The loop may still draw for a moment after that; those errors are
      // ours to drop too.
      auto* e = reinterpret_cast<xcb_generic_error_t*>(event);
      if (e->resource_id != window_ && e->resource_id != gc_) return false;
      if (Live() && (e->error_code == XCB_WINDOW || e->error_code == XCB_DRAWABLE)) Gone();
      return true;
    }
    case XCB_EXPOSE: {
      if (!Live()) return false;
      auto* e = reinterpret_cast<xcb_expose_event_t*>(event);
      if (e->window != window_) return false;
      exposing_ = Unite(exposing_, PixelRect{e->x, e->y, e->x + e->width, e->y + e->height});
      if (e->count == 0) {
        {
          std::lock_guard lock(asked_mutex_);
          exposed_ = Unite(exposed_, exposing_);
        }
        exposing_ = {};
        if (loop_) loop_->Wake();
      }
      return false;
    }
    case XCB_CONFIGURE_NOTIFY: {
      auto* e = reinterpret_cast<xcb_configure_notify_event_t*>(event);
      if (e->window != window_ || e->event != window_) return false;
      bool resized;
      {
        std::lock_guard lock(asked_mutex_);
        resized = e->width != asked_width_ || e->height != asked_height_;
        asked_width_ = std::max<int>(1, e->width);
        asked_height_ = std::max<int>(1, e->height);
      }
      // A resize in the middle of a long rest is shown at once.
      if (resized && loop_) loop_->Wake();
      return false;
    }
    case XCB_DESTROY_NOTIFY: {
      auto* e = reinterpret_cast<xcb_destroy_notify_event_t*>(event);
      if (e->window == window_) Gone();
      return false;
    }
    default:
      return false;
  }
}

}  // namespace kalo
