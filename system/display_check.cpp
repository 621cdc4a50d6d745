#include "system/display_check.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace kalo {

namespace {

bool XServerAnswers() {
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  xcb_connection_t* c = xcb_connect(display, nullptr);
  const bool ok = xcb_connection_has_error(c) == 0;
  xcb_disconnect(c);
  return ok;
}

bool CompositorAnswers() {
  const char* name = std::getenv("WAYLAND_DISPLAY");
  if (!name || !*name) return false;
  std::string path = name;
  if (path[0] != '/') {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    path = std::string(runtime) + "/" + path;
  }
  sockaddr_un address{};
  if (path.size() >= sizeof address.sun_path) return false;
  address.sun_family = AF_UNIX;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

}  // namespace

bool DisplayAvailable() {
  const char* forced = std::getenv("QT_QPA_PLATFORM");
  if (!forced || !*forced) return XServerAnswers() || CompositorAnswers();
  // A list such as "wayland;xcb" is tried in order; a platform that is
  // neither needs no display of ours to check.
  std::string_view list = forced;
  while (!list.empty()) {
    const size_t end = list.find(';');
    std::string_view name = list.substr(0, end);
    name = name.substr(0, name.find(':'));  // "xcb:option" names xcb
    if (name == "xcb" ? XServerAnswers() : name.starts_with("wayland") ? CompositorAnswers() : true)
      return true;
    list = end == std::string_view::npos ? std::string_view() : list.substr(end + 1);
  }
  return false;
}

std::string ScreenColourProblem() {
  // The fewest bits a pixel may hold: five for each of red, green and blue.
  constexpr int kFewestBits = 15;
  for (const QScreen* screen : QGuiApplication::screens()) {
    if (screen->depth() < kFewestBits)
      return "the screen shows " + std::to_string(screen->depth()) +
             "-bit colour, which the saver cannot draw in (15-bit colour or more is needed)";
  }
  return "";
}

}  // namespace kalo
