// The design loop: decides every picture, design and layer, and rests,
// hints, saves and clears between them. It never returns of its own accord;
// it is left when the pacer throws SaverEnded.
#pragma once

#include <string>

#include "core/numbers.h"
#include "core/run_state.h"
#include "engine/engine.h"

namespace kalo {

// What the loop asks of the saver beyond drawing and showing: saving a marked
// design, the about dialog, and the cursor.
class SaverServices {
 public:
  virtual ~SaverServices() = default;
  // Bitmap (0) or canvas file (1) export of the finished design.
  virtual void SaveData(Integer dformat) = 0;
  // Companion hand-off; ends the saver (throws SaverEnded through the pacer
  // or returns after marking the end).
  virtual void SaveDataForDrawPgm() = 0;
  // The about dialog shown modal after a save, its check box disabled.
  virtual void ShowAboutModal() = 0;
  // The occasional about display: modeless, description and OK hidden, check
  // box disabled, title captions set, shown and refreshed.
  virtual void ShowAboutBriefly() = 0;
  virtual void UnloadAbout() = 0;
  virtual void HideCursor() = 0;
  virtual void RestoreCursor() = 0;
};

// Services that save nothing, ask nothing and leave the pointer alone: for
// a saver nobody can talk to, such as one inside a screen-saver host, whose
// host owns the input, and for drawing designs without a screen.
class QuietServices : public SaverServices {
 public:
  void SaveData(Integer) override {}
  void SaveDataForDrawPgm() override {}
  void ShowAboutModal() override {}
  void ShowAboutBriefly() override {}
  void UnloadAbout() override {}
  void HideCursor() override {}
  void RestoreCursor() override {}
};

struct LoopContext {
  EngineContext engine;
  RunState& run;
  SaverServices& services;
};

// Runs designs until the saver is ended (SaverEnded propagates out).
void RunDesignLoop(LoopContext& ctx);

// A 0-based whole number below n, each with chance 1 in n.
inline int Below(RandomSource& rnd, double n) { return static_cast<int>(Int(rnd.Rnd() * n)); }

// The settings that steer the loop, read afresh from the settings texts at
// the top of every design.
struct LoopSettings {
  double MaxDrawWidth = 0;
  double MaxLayers = 0;
  double Brightness = 0;
  std::string LinesDots;  // two-letter codes: "LD", "LI", "DO", ...
  std::string SolidMix;   // "SO", "MI", "SM", ...
  std::string Roundness;  // "CI", "DI", "BO", ...
};

// The loop's own state between designs and pictures. All flags start false.
struct LoopLocals {
  Integer DesignsPerPicture = 1;  // designs before the picture is cleared
  Integer DesignCount = 0;        // designs finished in this picture
  Integer LayerCount = 0;         // layers finished of this design
  Integer PenWidth = 0;           // DrawWidth of the next layer; below 1 ends the design
  RasterMode DrawModeChoice{};    // DrawMode of the next layer
  Long PrevColour = 0;            // ForeColor of the previous layer
  Single HalfHeight = 0;          // vertical screen centre, fixed for the run
  Single Decay = 0;               // pen-width decay factor, 0 to 1

  bool FirstLayer = false;
  // Per picture.
  bool ClusterPicture = false;
  bool SingleSetUp = false;
  bool FixedDecay = false;
  bool ThinCluster = false;
  // Per design.
  bool FixedMode = false;   // keep the drawing mode
  bool FixedStyle = false;  // keep lines or dots for the whole design
  bool KeepStyle = false;   // keep lines or dots for the next layer
  bool NoBoxFlags = false;
  bool NoGonSides = false;

  LoopSettings settings;
};

// Bounds on draws that could otherwise repeat for ever.
inline constexpr int kColourTries = 1000;
inline constexpr int kClusterSpiralTries = 10000;

// One design at a time: T (top of design), P (picture set-up), D (design
// set-up), L (layers), E (end of design) and F (end of picture). The steps
// are public so that tests can set up state and run just the step under test.
class DesignLoop {
 public:
  explicit DesignLoop(LoopContext& ctx);

  // Runs exactly one design, T to E, and F when the picture is complete.
  void RunOneDesign();

  LoopLocals& locals() { return loc_; }
  const LoopLocals& locals() const { return loc_; }

  void ReadSettings();

  // T
  void ProposeCentre();
  // P
  void SetUpPicture();
  // D
  void SetUpDesign();
  void ChooseDesignType();
  void ChooseDrawModeAndFixing();
  void ChoosePenWidth();
  void ChooseLinesOrDots();
  void PresetSpiral();
  void ChooseDesignFlags();
  void PickParams();
  void FlattenSomeBoxes();
  void TuneSpiral();
  // L
  void DrawLayers();
  void PrepareFirstLayer();
  void PlaceClusterDesign();
  void PrepareLaterLayer();
  void RefreshLayerMode();
  void ChooseLayerPenAndColour();
  void RestInThinCluster();
  void ApplySolidMix();
  void MaybeNarrowPen();
  void DecayPenWidth();
  // E; returns true when the picture is complete.
  bool EndDesign();
  void SaveMarkedDesign();
  // F
  void EndPicture();

  // The pickers.
  void PickDrawMode();
  void PickStretch(Integer limit);
  void PickClusterCenter();

  // Rests units x 250 ms, letting input run after each.
  void Wait(int units);

 private:
  bool OffCentre();  // returns true for the two outer rows
  int CentreRow();
  void CentreWithin(double span, double from);
  Long LayerColour();
  void NewRandomBackground();
  bool Enabled(Integer type) const;

  LoopContext& ctx_;
  DesignState& s_;
  Canvas& canvas_;
  Overlay& overlay_;
  RandomSource& rnd_;
  LoopLocals loc_;
};

}  // namespace kalo
