// Saver services that keep what a save keeps of every finished design -- the
// picture and the canvas record with its background in front -- so that
// tests and benchmarks can draw designs through the real design loop and
// read them back.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/design_loop.h"
#include "surface/surface.h"

namespace kalo::test {

class SavedDesign final : public QuietServices {
 public:
  SavedDesign(const Surface& surface, const DesignState& s) : surface_(surface), s_(s) {}

  void SaveData(Integer dformat) override {
    if (dformat == 0) {
      picture.assign(surface_.bits(), surface_.bits() + surface_.width() * surface_.height());
    } else {
      records.push_back(s_.DesignRecord);
    }
  }

  std::vector<uint32_t> picture;     // of the last design saved
  std::vector<std::string> records;  // of every design saved, in order

 private:
  const Surface& surface_;
  const DesignState& s_;
};

}  // namespace kalo::test
