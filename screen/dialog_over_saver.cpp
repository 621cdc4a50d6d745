#include "screen/dialog_over_saver.h"

#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QWindow>
#include <memory>

namespace kalo {

namespace {

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

// A window of the saver itself, not one of its dialogs.
bool SaverWindow(const QWidget* window) { return window && !qobject_cast<const QDialog*>(window); }

// While the dialog is up, the keys that reach the saver's own windows are the
// dialog's: the compositor keeps the keyboard with the full-screen window the
// user was looking at. Keys typed into a dialog stay with it.
class KeysToDialog final : public QObject {
 public:
  explicit KeysToDialog(QDialog& dialog) : dialog_(&dialog) { qApp->installEventFilter(this); }
  ~KeysToDialog() override { qApp->removeEventFilter(this); }

 protected:
  bool eventFilter(QObject* receiver, QEvent* event) override {
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease) return false;
    const auto* widget = qobject_cast<const QWidget*>(receiver);
    if (!dialog_ || !widget || !SaverWindow(widget->window())) return false;
    QWidget* target = dialog_->focusWidget() ? dialog_->focusWidget() : dialog_.data();
    const std::unique_ptr<QEvent> key(event->clone());
    QCoreApplication::sendEvent(target, key.get());
    return true;
  }

 private:
  QPointer<QDialog> dialog_;
};

}  // namespace

void StandOverFocus(QWidget& dialog) {
  QWidget* focused = QApplication::activeWindow();
  if (!SaverWindow(focused) || focused == dialog.parentWidget() || !focused->windowHandle()) return;
  dialog.winId();
  dialog.windowHandle()->setTransientParent(focused->windowHandle());
}

int ExecOverSaver(QDialog& dialog) {
  StandOverFocus(dialog);
  if (!OnWayland()) return dialog.exec();
  // Not modal, or the saver's windows would drop the keys meant for it. The
  // saver's own handlers leave the pointer's clicks and moves alone while the
  // user is asked.
  dialog.setWindowModality(Qt::NonModal);
  dialog.setResult(0);
  QPointer<QDialog> guard(&dialog);
  KeysToDialog keys(dialog);
  QEventLoop loop;
  QObject::connect(&dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QObject::connect(&dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
  dialog.show();
  loop.exec(QEventLoop::DialogExec);
  return guard ? guard->result() : QDialog::Rejected;
}

}  // namespace kalo
