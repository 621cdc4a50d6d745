#include "platform/cursor_count.h"

#include <QCursor>
#include <QGuiApplication>

namespace kalo {

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
    QGuiApplication::setOverrideCursor(QCursor(Qt::BlankCursor));
  else
    QGuiApplication::restoreOverrideCursor();
  blanked_ = hide;
}

}  // namespace kalo
