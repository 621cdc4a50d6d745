// The settings dialog: loads every setting of the profile into its controls,
// lets the user change them, and on OK writes all fifteen keys back; Cancel
// writes nothing. It finishes with accept() after OK and reject() after
// Cancel, so whoever shows it can end the program when it closes.
#pragma once

#include <QDialog>
#include <array>
#include <string>

#include "about/frm_about.h"
#include "common/run_state.h"
#include "settings/settings_store.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

namespace kalo {

class Setup : public QDialog {
  Q_OBJECT

 public:
  // Construction is the form's load: the profile at profilePath is read and
  // every control filled from it; ShowAboutFlag is set from ShowAbout.
  Setup(RunState& run, std::string profilePath, QWidget* parent = nullptr);

  // The texts OK writes, formed from the controls and ShowAboutFlag.
  SettingsTexts TextsFromControls() const;

  void cmdOK_Click();
  void cmdCancel_Click();
  void cmdAbout_Click();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void BuildControls();
  void Form_Load();
  void HScroll1_Change();
  void HScroll2_Change();
  void HScroll3_Change();
  void HScroll4_Change();
  void SetBrightnessEnabled(bool enabled);

  RunState& run_;
  std::string profilePath_;
  AboutMouseMemory aboutMouse_;

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
};

}  // namespace kalo
