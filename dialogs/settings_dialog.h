// The settings dialog: loads every setting of the profile into its controls,
// lets the user change them, and on OK writes all fifteen keys back; Cancel
// writes nothing. It finishes with accept() after OK and reject() after
// Cancel, so whoever shows it can end the program when it closes.
#pragma once

#include <QDialog>
#include <QRect>
#include <array>
#include <string>
#include <utility>
#include <vector>

#include "core/run_state.h"
#include "dialogs/about_dialog.h"
#include "files/settings_store.h"

class QButtonGroup;
class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;

namespace kalo {

class FormUnits;
struct Placement;
struct ChoiceSetting;  // a setting chosen with one of a frame's option buttons
struct SliderSetting;  // a setting held by a slider

class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  // Construction is the form's load: the profile at profile_path is read and
  // every control filled from it; ShowAboutFlag is set from ShowAbout.
  SettingsDialog(RunState& run, std::string profile_path, QWidget* parent = nullptr);
  ~SettingsDialog() override;

  // The texts OK writes, formed from the controls and ShowAboutFlag.
  SettingsTexts TextsFromControls() const;

  // Whether OK failed to write the profile; the program then ends with a
  // status that says so, not only with the warning box.
  bool SaveFailed() const { return save_failed_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A frame's option buttons; each button's id is its choice's two-letter code.
  struct Choice {
    const ChoiceSetting* setting = nullptr;
    QButtonGroup* buttons = nullptr;
  };
  // A slider and the labels under it, which are laid out together.
  struct Slider {
    const SliderSetting* setting = nullptr;
    QGroupBox* frame = nullptr;
    QScrollBar* bar = nullptr;
    QLabel* low = nullptr;
    QLabel* high = nullptr;
    QLabel* value = nullptr;  // none where the frame's caption carries the value
    int widest_value = 0;     // the room the value label needs for any value
  };

  void BuildControls();
  QGroupBox* AddFrame(const char* name, const QString& title, QRect twips);
  template <typename Control>
  Control* Add(Control* control, const QString& name, QRect twips);
  QButtonGroup* AddChoice(const ChoiceSetting& setting);
  QGroupBox* AddSlider(const SliderSetting& setting);
  // Fits the form drawn in twips to its font and its captions.
  void LayOut();
  void PlaceSlider(const Slider& s, const FormUnits& units, std::vector<Placement>& inside) const;
  void LoadProfile();
  void SaveAndClose();
  void OpenAbout();

  RunState& run_;
  std::string profile_path_;
  AboutMouseMemory about_mouse_;
  bool save_failed_ = false;

  std::array<QCheckBox*, kDesignTypeCount> design_type_checks_{};
  std::vector<Choice> choices_;
  std::vector<Slider> sliders_;
  QButtonGroup* draw_mode_group_ = nullptr;
  QGroupBox* brightness_frame_ = nullptr;  // enabled by Solid Only alone
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QPushButton* about_ = nullptr;
  // The line that ties "Solid Only" to the Brightness frame, in two pieces.
  QFrame* connector_in_frame_ = nullptr;
  QFrame* connector_on_form_ = nullptr;

  // Where the form draws each frame and control, in twips relative to its
  // frame or to the form; the layout grows them from there.
  std::vector<std::pair<QWidget*, QRect>> drawn_;
};

}  // namespace kalo
