// Questions and dialogs over the saver's full-screen windows. They must come
// up in front of whichever of those windows the user looks at, and answer the
// keyboard there.
#pragma once

class QDialog;
class QWidget;

namespace kalo {

// Makes the dialog `dialog`, a child of the design window, stand over the
// saver window that holds the keyboard: the design window or the cover of
// another monitor. A Wayland compositor puts a new window on the output that
// has the focus and shows it above a full-screen window only when it belongs
// to that window; over the design window alone it could open hidden beneath a
// cover. The design window stays its owner, so that a monitor going away
// takes no open dialog with it.
void StandOverFocus(QWidget& dialog);

// Shows `dialog` over the focused saver window, waits for its answer and
// returns its result code, as QDialog::exec does. Some Wayland compositors
// never give the keyboard to a window that opens over a full-screen one, so
// there the keys typed into the saver's windows are handed to the dialog
// while it is up.
int ExecOverSaver(QDialog& dialog);

}  // namespace kalo
