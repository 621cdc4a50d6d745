#include <gtest/gtest.h>

#include <utility>

#include "app/render_canvas.h"
#include "files/file_error.h"

namespace kalo {
namespace {

TEST(RenderCanvas, TheImageTakesTheCanvasFilesNameWithItsOwnExtension) {
  for (auto [canvas, image] : {std::pair{"one.cvd", "one.png"},
                               {"art/one.CVD", "art/one.png"},
                               {"art.2024/one", "art.2024/one.png"},
                               {"one.two.cvd", "one.two.png"},
                               {"art/.cvd", "art/.cvd.png"}})
    EXPECT_EQ(DefaultRenderOutput(canvas), image) << canvas;
  // Names in messages stay on one line.
  EXPECT_EQ(ShownFileName("a\nb\x7f.cvd"), "a?b?.cvd");
}

}  // namespace
}  // namespace kalo
