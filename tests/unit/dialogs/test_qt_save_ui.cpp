#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <functional>
#include <optional>
#include <string>

#include "dialogs/qt_save_ui.h"

namespace kalo {
namespace {

// Runs `act` on the modal dialog once it is up, from inside its event loop.
void WhenModalShows(std::function<void(QWidget*)> act) {
  QTimer::singleShot(0, [act] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    act(modal);
  });
}

void PressEnter(QWidget* w) {
  QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
}

// What the next message box shows; Enter answers it.
struct Shown {
  QString title = "unset", text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};
void NoteAndPressEnter(Shown& shown) {
  WhenModalShows([&shown](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    shown = {box->windowTitle(), box->text(), box->icon()};
    PressEnter(box);
  });
}

TEST(QtSaveUi, QuestionsHaveAQuestionIconAndEnterAnswersYes) {
  QtSaveUi ui(nullptr);
  Shown shown;
  NoteAndPressEnter(shown);
  EXPECT_TRUE(
      ui.AskYesNo("Save as a Wallpaper/Bitmap (.bmp) file?", "Save as WINDOWS Bitmap file?"));
  EXPECT_EQ(shown.title, "Save as WINDOWS Bitmap file?");
  EXPECT_EQ(shown.text, "Save as a Wallpaper/Bitmap (.bmp) file?");
  EXPECT_EQ(shown.icon, QMessageBox::Question);

  WhenModalShows([](QWidget* w) {
    auto* box = qobject_cast<QMessageBox*>(w);
    ASSERT_NE(box, nullptr);
    box->button(QMessageBox::No)->click();
  });
  EXPECT_FALSE(ui.AskYesNo("Load This Design Onto The Canvas?", "Auto-Draw Load Request"));
}

// A question stands over whichever saver window holds the keyboard, the design
// window or a monitor's cover, and belongs to the design window all the same.
TEST(QtSaveUi, QuestionsStandOverTheSaverWindowThatHoldsTheKeyboard) {
  QWidget pic, cover;
  for (QWidget* focused : {&cover, &pic}) {
    pic.show();
    cover.show();
    focused->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(focused));
    ASSERT_EQ(QApplication::activeWindow(), focused);
    QtSaveUi ui(&pic);
    QWindow* over = nullptr;
    QWidget* owner = nullptr;
    WhenModalShows([&](QWidget* w) {
      over = w->windowHandle()->transientParent();
      owner = w->parentWidget();
      PressEnter(w);
    });
    EXPECT_TRUE(ui.AskYesNo("Load This Design Onto The Canvas?", "Auto-Draw Load Request"));
    EXPECT_EQ(over, focused->windowHandle()) << (focused == &cover ? "cover" : "design window");
    EXPECT_EQ(owner, &pic);
  }
}

TEST(QtSaveUi, ErrorsHaveAWarningIconAndNoTitle) {
  QtSaveUi ui(nullptr);
  Shown shown;
  NoteAndPressEnter(shown);
  ui.ShowError("Error 20\nNot a directory");
  // Blank, not empty: an empty title would show the program's name.
  EXPECT_FALSE(shown.title.isEmpty());
  EXPECT_TRUE(shown.title.trimmed().isEmpty()) << shown.title.toStdString();
  EXPECT_EQ(shown.text, "Error 20\nNot a directory");
  EXPECT_EQ(shown.icon, QMessageBox::Warning);
}

TEST(QtSaveUi, FilterListBecomesNameFilters) {
  EXPECT_EQ(NameFiltersFromList("All Files (*.*)|*.*| WINDOWS Bitmap (*.bmp)|*.bmp"),
            (QStringList{"All Files (*.*)", "WINDOWS Bitmap (*.bmp)"}));
  EXPECT_EQ(NameFiltersFromList("Canvas|*.cvd"), QStringList{"Canvas (*.cvd)"});
}

TEST(QtSaveUi, SaveDialogOpensAsAskedAndAddsTheDefaultExtension) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtSaveUi ui(nullptr);
  SaveFileRequest request;
  request.initial_name = "*.cvd";
  request.folder = dir.path().toStdString();
  request.filter = "All Files (*.*)|*.*| KaloDraw Canvas (*.cvd)|*.cvd";
  request.filter_index = 2;
  request.default_extension = "cvd";

  QString selected_filter, folder, suffix;
  WhenModalShows([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    selected_filter = dialog->selectedNameFilter();
    folder = dialog->directory().absolutePath();
    suffix = dialog->defaultSuffix();
    dialog->selectFile(dir.filePath("one"));
    static_cast<QDialog*>(dialog)->accept();
  });
  std::optional<std::string> chosen = ui.AskSaveFileName(request);
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, dir.filePath("one.cvd").toStdString());
  EXPECT_EQ(selected_filter, "KaloDraw Canvas (*.cvd)");
  EXPECT_EQ(folder, dir.path());
  EXPECT_EQ(suffix, "cvd");

  WhenModalShows([](QWidget* w) { qobject_cast<QDialog*>(w)->reject(); });
  EXPECT_FALSE(ui.AskSaveFileName(request).has_value());
}

TEST(QtSaveUi, SaveDialogRefusesAMissingFolderAndAsksBeforeReplacingAFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QtSaveUi ui(nullptr);
  SaveFileRequest request;
  request.initial_name = "*.bmp";
  request.folder = dir.path().toStdString();
  request.filter = "All Files (*.*)|*.*| WINDOWS Bitmap (*.bmp)|*.bmp";
  request.filter_index = 2;
  request.default_extension = "bmp";

  QFile existing(dir.filePath("one.bmp"));
  ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
  existing.close();

  Shown refusal, replace;
  bool stayed_open = false, kept_on_no = false;
  WhenModalShows([&](QWidget* w) {
    auto* dialog = qobject_cast<QFileDialog*>(w);
    ASSERT_NE(dialog, nullptr);
    dialog->selectFile(dir.filePath("missing/one"));
    NoteAndPressEnter(refusal);
    static_cast<QDialog*>(dialog)->accept();
    stayed_open = dialog->isVisible();
    // Enter declines to replace the file; the dialog stays for another name.
    dialog->selectFile(dir.filePath("one"));
    NoteAndPressEnter(replace);
    static_cast<QDialog*>(dialog)->accept();
    kept_on_no = dialog->isVisible();
    WhenModalShows(
        [](QWidget* box) { qobject_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->click(); });
    static_cast<QDialog*>(dialog)->accept();
  });
  std::optional<std::string> chosen = ui.AskSaveFileName(request);
  EXPECT_TRUE(stayed_open);
  EXPECT_EQ(refusal.icon, QMessageBox::Warning);
  EXPECT_TRUE(refusal.text.contains(dir.filePath("missing"))) << refusal.text.toStdString();
  EXPECT_TRUE(kept_on_no);
  EXPECT_EQ(replace.icon, QMessageBox::Warning);
  EXPECT_EQ(replace.text, "one.bmp already exists.\nDo you want to replace it?");
  ASSERT_TRUE(chosen.has_value());
  EXPECT_EQ(*chosen, dir.filePath("one.bmp").toStdString());
  EXPECT_FALSE(QFileInfo::exists(dir.filePath("missing")));
}

}  // namespace
}  // namespace kalo
