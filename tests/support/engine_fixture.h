// What one renderer draws with: the design state, a recording window whose
// strokes note the yields before them, a pacer that never sleeps and scripted
// random numbers.
#pragma once

#include "engine/engine.h"
#include "support/fake_pacer.h"
#include "support/recording_window.h"
#include "support/scripted_random.h"

namespace kalo::test {

struct EngineFixture {
  EngineFixture() { win.AttachYieldCounter(&pacer.yields); }

  // A design of the given type drawn with lines, unstretched, centred on (x, y).
  void Place(Integer type, Single x, Single y) {
    s.DesignType = type;
    s.UseLines[type] = true;
    s.CenterX = x;
    s.CenterY = y;
    s.XStretch = 1;
  }

  DesignState s;
  RecordingWindow win;
  FakePacer pacer;
  ScriptedRandom rnd;
  EngineContext e{s, win, win, pacer, rnd};
};

}  // namespace kalo::test
