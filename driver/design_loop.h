// The design loop: decides every picture, design and layer, and rests,
// hints, saves and clears between them. It never returns of its own accord;
// it is left when the pacer throws SaverEnded.
#pragma once

#include "driver/run_state.h"
#include "engine/engine.h"

namespace kalo {

// What the loop asks of the saver window beyond drawing: saving a marked
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

struct LoopContext {
  EngineContext engine;
  RunState& run;
  SaverServices& services;
};

// Runs designs until the saver is ended (SaverEnded propagates out).
void RunDesignLoop(LoopContext& ctx);

// Runs exactly one design (T to E, and F when the picture is complete); for
// tests and benchmarks. Keeps the loop-local state in `loop` between calls.
struct LoopLocals;
class DesignLoop {
 public:
  explicit DesignLoop(LoopContext& ctx);
  ~DesignLoop();
  void RunOneDesign();
  const LoopLocals& locals() const { return *locals_; }

 private:
  LoopContext& ctx_;
  LoopLocals* locals_;
};

}  // namespace kalo
