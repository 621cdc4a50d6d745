// Presses and releases a key on a widget the way the platform delivers it: a
// control that ignores the key passes it on to its form.
#pragma once

#include <QApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QWidget>

namespace kalo::test {

inline void PressKey(QWidget* w, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

}  // namespace kalo::test
