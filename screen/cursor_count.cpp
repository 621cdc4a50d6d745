#include "screen/cursor_count.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPixmap>

namespace kalo {

namespace {

// The shape that hides the pointer. On Wayland, Qt before 6.8 tells the
// compositor nothing of the blank shape itself, so there a wholly transparent
// picture stands in, which every version shows; X servers honour the blank
// shape.
QCursor HiddenPointer() {
  if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
    QPixmap clear(16, 16);
    clear.fill(Qt::transparent);
    return QCursor(clear);
  }
  return QCursor(Qt::BlankCursor);
}

}  // namespace

CursorCount::CursorCount(int start) : count_(start) { Apply(); }

CursorCount::~CursorCount() {
  if (blanked_ && qGuiApp) QGuiApplication::restoreOverrideCursor();
}

int CursorCount::ShowCursor(bool show) {
  count_ += show ? 1 : -1;
  Apply();
  return count_;
}

void CursorCount::Apply() {
  if (!qGuiApp) return;
  const bool hide = count_ < 0;
  if (hide == blanked_) return;
  if (hide)
    QGuiApplication::setOverrideCursor(HiddenPointer());
  else
    QGuiApplication::restoreOverrideCursor();
  blanked_ = hide;
}

}  // namespace kalo
