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
#include "dialogs/frm_about.h"
#include "files/settings_store.h"

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kalo {

class FormUnits;
struct Placement;

class Setup : public QDialog {
  Q_OBJECT

 public:
  // Construction is the form's load: the profile at profilePath is read and
  // every control filled from it; ShowAboutFlag is set from ShowAbout.
  Setup(RunState& run, std::string profilePath, QWidget* parent = nullptr);
  ~Setup() override;

  // The texts OK writes, formed from the controls and ShowAboutFlag.
  SettingsTexts TextsFromControls() const;

  void cmdOK_Click();
  void cmdCancel_Click();
  // Whether OK failed to write the profile; the program then ends with a
  // status that says so, not only with the warning box.
  bool SaveFailed() const { return saveFailed_; }
  void cmdAbout_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  // A slider frame's bar and the labels under it, which are laid out together.
  struct SliderRow {
    QScrollBar* bar = nullptr;
    QLabel* left = nullptr;
    QLabel* value = nullptr;  // none where the frame's caption carries the value
    QLabel* right = nullptr;
    int widestValue = 0;  // the room the value label needs for any value
  };

  void BuildControls();
  QGroupBox* AddFrame(const char* name, const QString& title, QRect twips);
  template <typename Control>
  Control* Add(Control* control, const char* name, QRect twips);
  SliderRow AddSlider(QGroupBox* frame, const char* barName, int min, int max, int large,
                      int initial, const QString& leftText, const QString& rightText,
                      bool showsValue);
  // Fits the form drawn in twips to its font and its captions.
  void LayOut();
  void PlaceSliderRow(const SliderRow& s, const FormUnits& units,
                      std::vector<Placement>& inside) const;
  void Form_Load();
  void HScroll1_Change();
  void HScroll2_Change();
  void HScroll3_Change();
  void HScroll4_Change();
  void SetBrightnessEnabled(bool enabled);

  RunState& run_;
  std::string profilePath_;
  AboutMouseMemory aboutMouse_;
  bool saveFailed_ = false;

  std::array<QCheckBox*, kDesignTypeCount> Check_{};  // Check1 to Check6
  std::array<QRadioButton*, 12> Option_{};            // Option1 to Option11 at their own numbers
  QScrollBar* HScroll1_ = nullptr;                    // speed
  QScrollBar* HScroll2_ = nullptr;                    // brightness
  QScrollBar* HScroll3_ = nullptr;                    // pen width
  QScrollBar* HScroll4_ = nullptr;                    // layers
  QGroupBox* Frame3_ = nullptr;                       // brightness, caption carries the value
  QLabel* Label3_ = nullptr;                          // "High"
  QLabel* Label4_ = nullptr;                          // "Low"
  QLabel* Label9_ = nullptr;                          // layers value
  QLabel* Label11_ = nullptr;                         // speed value
  QLabel* Label12_ = nullptr;                         // pen width value
  QPushButton* cmdOK_ = nullptr;
  QPushButton* cmdCancel_ = nullptr;
  QPushButton* cmdAbout_ = nullptr;
  QGroupBox* Frame7_ = nullptr;  // draw mode, where the connector starts
  QFrame* connectorInFrame_ = nullptr;
  QFrame* connectorOnForm_ = nullptr;

  // Where the form draws each frame and control, in twips relative to its
  // frame or to the form; the layout grows them from there.
  std::vector<std::pair<QWidget*, QRect>> drawn_;
  std::vector<SliderRow> sliders_;
};

}  // namespace kalo
