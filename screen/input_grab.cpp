#include "screen/input_grab.h"

#include <xcb/xcb.h>
#include <xcb/xinput.h>

#include <QGuiApplication>
#include <QTimerEvent>
#include <QWidget>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "system/steady_clock.h"

namespace kalo {

namespace {

#if QT_CONFIG(xcb)
// The pointer is grabbed through XInput 2 where the server has it, since that
// is how Qt reads the pointer: a wheel turned over another program's window
// then reaches the saver as a turn of the wheel, which Qt reads from no core
// event. Zero when only the core pointer grab is possible.
xcb_input_device_id_t ClientPointer(xcb_connection_t* c) {
  const xcb_query_extension_reply_t* xi = xcb_get_extension_data(c, &xcb_input_id);
  if (!xi || !xi->present) return 0;
  xcb_input_xi_get_client_pointer_reply_t* reply = xcb_input_xi_get_client_pointer_reply(
      c, xcb_input_xi_get_client_pointer(c, XCB_NONE), nullptr);
  const xcb_input_device_id_t id = reply ? reply->deviceid : 0;
  std::free(reply);
  return id;
}

bool GrabKeyboard(xcb_connection_t* c, xcb_window_t window) {
  xcb_grab_keyboard_reply_t* reply = xcb_grab_keyboard_reply(
      c,
      xcb_grab_keyboard(c, 1, window, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC),
      nullptr);
  const bool held = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
  std::free(reply);
  return held;
}

bool GrabPointer(xcb_connection_t* c, xcb_window_t window, xcb_input_device_id_t pointer) {
  if (pointer) {
    const uint32_t events = XCB_INPUT_XI_EVENT_MASK_BUTTON_PRESS |
                            XCB_INPUT_XI_EVENT_MASK_BUTTON_RELEASE |
                            XCB_INPUT_XI_EVENT_MASK_MOTION | XCB_INPUT_XI_EVENT_MASK_ENTER |
                            XCB_INPUT_XI_EVENT_MASK_LEAVE;
    xcb_input_xi_grab_device_reply_t* reply = xcb_input_xi_grab_device_reply(
        c,
        xcb_input_xi_grab_device(c, window, XCB_CURRENT_TIME, XCB_NONE, pointer,
                                 XCB_INPUT_GRAB_MODE_22_ASYNC, XCB_INPUT_GRAB_MODE_22_ASYNC,
                                 XCB_INPUT_GRAB_OWNER_OWNER, 1, &events),
        nullptr);
    const bool held = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(reply);
    return held;
  }
  const uint16_t events = XCB_EVENT_MASK_BUTTON_PRESS | XCB_EVENT_MASK_BUTTON_RELEASE |
                          XCB_EVENT_MASK_POINTER_MOTION | XCB_EVENT_MASK_ENTER_WINDOW |
                          XCB_EVENT_MASK_LEAVE_WINDOW;
  xcb_grab_pointer_reply_t* reply = xcb_grab_pointer_reply(
      c,
      xcb_grab_pointer(c, 1, window, events, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC, XCB_NONE,
                       XCB_NONE, XCB_CURRENT_TIME),
      nullptr);
  const bool held = reply && reply->status == XCB_GRAB_STATUS_SUCCESS;
  std::free(reply);
  return held;
}
#endif

// Grabs with owner events on: the saver's other windows (the covers of the
// other monitors, the about dialog) keep their own input, and only what
// would have gone to another program comes to the grabbing window. Qt's own
// grabs send everything to one window, and call a grab that another program
// already holds a success, which would leave nothing to retry.
InputGrab::Grabber X11Grabber(QWidget* window) {
#if QT_CONFIG(xcb)
  auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!x11 || !x11->connection() || !window) return {};
  xcb_connection_t* c = x11->connection();
  const xcb_input_device_id_t pointer = ClientPointer(c);
  QPointer<QWidget> target(window);
  return [c, pointer, target](InputDevice device, bool take) {
    const bool keyboard = device == InputDevice::kKeyboard;
    if (!take) {
      if (keyboard)
        xcb_ungrab_keyboard(c, XCB_CURRENT_TIME);
      else if (pointer)
        xcb_input_xi_ungrab_device(c, XCB_CURRENT_TIME, pointer);
      else
        xcb_ungrab_pointer(c, XCB_CURRENT_TIME);
      xcb_flush(c);
      return true;
    }
    if (!target) return false;
    const auto id = static_cast<xcb_window_t>(target->winId());
    return keyboard ? GrabKeyboard(c, id) : GrabPointer(c, id, pointer);
  };
#else
  (void)window;
  return {};
#endif
}

}  // namespace

InputGrab::InputGrab(QWidget* window) : grabber_(X11Grabber(window)), clock_(SteadyNs) {}

InputGrab::InputGrab(Grabber grabber, Clock clock)
    : grabber_(std::move(grabber)), clock_(clock ? std::move(clock) : Clock(SteadyNs)) {}

InputGrab::~InputGrab() { Release(); }

void InputGrab::Take() {
  if (!grabber_) return;
  since_ns_ = clock_();
  if (TakeMissing())
    retry_.stop();
  else if (!retry_.isActive())
    retry_.start(kRetryMs, this);
}

void InputGrab::Release() {
  retry_.stop();
  for (InputDevice device : {InputDevice::kKeyboard, InputDevice::kPointer}) {
    bool& held = held_[static_cast<int>(device)];
    if (held) grabber_(device, false);
    held = false;
  }
}

bool InputGrab::TakeMissing() {
  bool all = true;
  for (InputDevice device : {InputDevice::kKeyboard, InputDevice::kPointer}) {
    bool& held = held_[static_cast<int>(device)];
    if (!held) held = grabber_(device, true);
    all = all && held;
  }
  return all;
}

void InputGrab::timerEvent(QTimerEvent* event) {
  if (event->timerId() != retry_.timerId()) return QObject::timerEvent(event);
  // Whatever another program still holds after this long, the saver runs
  // without: the designs must not wait on it.
  if (TakeMissing() || clock_() - since_ns_ >= kRetryForMs * qint64{1000000}) retry_.stop();
}

}  // namespace kalo
