#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "canvas/canvas_file.h"
#include "canvas/canvas_reader.h"
#include "canvas/canvas_replay.h"
#include "support/file_text.h"

namespace kalo {
namespace {

// A Spiral layer on a black background, then a stretched Yarn layer.
const std::string kSpiral = " 0\\ 16711680\\ 3\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\ 13\\/";
const std::string kYarn = " 1\\ 255\\ 2\\ 1.333333\\ 260\\ 12\\-1\\ 7\\/";
const std::string kGood = CanvasFileText(" 0\\" + kSpiral + kYarn);

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  return at == std::string::npos ? "<" + from + " not found>" : text.replace(at, from.size(), to);
}

TEST(CanvasReader, ReadsEveryFieldOfTheSaversFilesWithEitherLineEnd) {
  for (const std::string& text :
       {kGood, Replaced(kGood, "\r\n", "\n"), kGood.substr(0, kGood.size() - 2)}) {
    const CanvasRead read = ParseCanvasText(text);
    ASSERT_TRUE(read.ok()) << read.error;
    ASSERT_EQ(read.design.layers.size(), 2u);
    const CanvasLayer& yarn = read.design.layers[1];
    EXPECT_EQ(yarn.DesignType, KaloYarn);
    EXPECT_EQ(yarn.ForeColor, 255);
    EXPECT_EQ(yarn.DrawWidth, 2);
    EXPECT_EQ(yarn.XStretch, 1.333333f);
    EXPECT_EQ(yarn.fields, (std::vector<double>{260, 12, -1}));
    EXPECT_EQ(yarn.DrawMode, 7);

    DesignState s;
    ApplyCanvasLayer(read.design.layers[0], s);
    EXPECT_EQ(s.DesignType, KaloSpiral);
    EXPECT_EQ(s.FixedRadius, 60);
    EXPECT_EQ(s.RollRadius, 25);
    EXPECT_EQ(s.PenRadius, 40);
    EXPECT_EQ(s.SpiralInside, true);
    EXPECT_EQ(s.SpiralOutside, false);
    EXPECT_EQ(s.UseLines[KaloSpiral], true);
    EXPECT_EQ(s.SpiralDetail, 9);
  }
}

TEST(CanvasReader, TakesEveryNumberFormTheSaverWrites) {
  for (const auto& [text, value] : std::vector<std::pair<std::string, float>>{
           {" .5", .5f}, {" .0125", .0125f}, {" 12.5", 12.5f}, {" 99.99999", 99.99999f}}) {
    const std::string layer = " 4\\ 0\\ 1\\" + text + "\\ 90\\ 3\\ 0\\ 16\\/";  // the last mode
    const CanvasRead read = ParseCanvasText(CanvasFileText(" 0\\" + layer));
    ASSERT_TRUE(read.ok()) << text << ": " << read.error;
    EXPECT_EQ(read.design.layers[0].XStretch, value) << text;
  }
}

TEST(CanvasReader, NamesTheLineAndFieldOfEveryFault) {
  const std::string big(kCanvasFileLimit, ' ');
  std::string many = kGood;
  for (int i = 0; i < kCanvasLayerLimit; ++i) many += kYarn + "\r\n";
  const struct {
    std::string text, error;
  } rows[] = {
      {"\x7f"
       "ELF\x02\x01",
       "line 1: expected \"%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw "
       "DATA FILE!\" (this is not a canvas file)"},
      {Replaced(kGood, "KALOSAVERCANVAS1c", "KALOSAVERCANVAS2c"),
       "line 5: expected \"KALOSAVERCANVAS1c\""},
      {kGood.substr(0, 100),
       "line 2: expected \"%%% This file is in a VERY PARTICULAR FORMAT.  "
       "'KaloDraw'\""},
      {CanvasFileText(""), "line 6: expected the first layer record, found the end of the file"},
      {kGood.substr(0, kGood.size() - 12),
       "line 7: expected a layer record ending in \\/ (the file may be cut short)"},
      {Replaced(kGood, "\r\n 1\\", "\r\n\r\n 1\\"), "line 7: expected a layer record ending"},
      {Replaced(kGood, " 9\\ 13", " 13"),
       "line 6: expected 15 fields for a KaloSpiral layer, "
       "found 14"},
      {Replaced(kGood, " 1\\ 255", " 0\\ 1\\ 255"), "line 7: expected 14 fields for a KaloSpiral"},
      {Replaced(kGood, " 0\\ 16711680", " 6\\ 16711680"),
       "line 6, field 2: design type 6 is not within 0 to 5"},
      {Replaced(kGood, " 16711680", "16711680"), "line 6, field 3: expected a whole number"},
      {Replaced(kGood, " 16711680", " 016711680"), "line 6, field 3: expected a whole number"},
      {Replaced(kGood, "\\ 0\\-1\\-1", "\\-0\\-1\\-1"), "line 6, field 10: expected -1 or 0"},
      {Replaced(kGood, "-1\\ 9\\", "-1\\-0\\"), "line 6, field 14: expected a whole number"},
      {Replaced(kGood, " 16711680", " 16777216"),
       "line 6, field 3: pen colour 16777216 is not within 0 to 16777215"},
      {Replaced(kGood, " 3\\ 1\\ 60", " 129\\ 1\\ 60"), "line 6, field 4: pen width 129 is not"},
      {Replaced(kGood, " 1.333333", " 1.3333333"), "line 7, field 4: expected a number"},
      {Replaced(kGood, " 1.333333", " 1.330"), "line 7, field 4: expected a number"},
      {Replaced(kGood, " 1.333333", " 0.5"), "line 7, field 4: expected a number"},
      {Replaced(kGood, " 1.333333", " 1e+08"), "line 7, field 4: expected a number"},
      {Replaced(kGood, " 1.333333", " Inf"), "line 7, field 4: expected a number"},
      {Replaced(kGood, " 1.333333", " 0"), "line 7, field 4: stretch 0 is not within 0.01 to"},
      {Replaced(kGood, " 1.333333", "-.25"), "line 7, field 4: stretch -.25 is not within"},
      {Replaced(kGood, " 1.333333", " 1.5E-07"), "line 7, field 4: stretch 1.5E-07 is not"},
      {Replaced(kGood, " 260\\ 12", " 260\\ 7.5"), "line 7, field 6: points 7.5 is not a whole"},
      {Replaced(kGood, " 260\\ 12", " 260\\ 31"), "line 7, field 6: points 31 is not within 3"},
      {Replaced(kGood, " 60\\ 25", " 60\\ 1E+09"), "line 6, field 7: rolling radius 1E+09 is"},
      {Replaced(kGood, "-1\\ 9\\", "-1\\ 12\\"), "line 6, field 14: detail 12 is not within -1"},
      {Replaced(kGood, "\\ 1\\ 60", "\\ 1\\ 60\\"), "line 6: expected 15 fields"},
      {Replaced(kGood, "-1\\ 7\\/", "-1\\ 17\\/"), "line 7, field 8: draw mode 17 is not within"},
      {many, "line 256: more than 250 layers, which no design has"},
      {big + "x", "larger than 1 MB, which no canvas file is"},
  };
  for (const auto& row : rows) {
    const CanvasRead read = ParseCanvasText(row.text);
    EXPECT_EQ(read.error.substr(0, row.error.size()), row.error);
    EXPECT_TRUE(read.design.layers.empty() || !read.ok());
  }
}

TEST(CanvasReader, ReadsOnlyPlainFilesOfACanvasFilesSize) {
  QTemporaryDir dir;
  const std::string base = dir.path().toStdString();
  test::WriteFile(base + "/good.cvd", kGood);
  test::WriteFile(base + "/big.cvd", std::string(kCanvasFileLimit + 1, '%'));
  EXPECT_TRUE(ReadCanvasFile(base + "/good.cvd").ok());
  EXPECT_EQ(ReadCanvasFile(base + "/big.cvd").error, "larger than 1 MB, which no canvas file is");
  EXPECT_EQ(ReadCanvasFile(base + "/none.cvd").error,
            "cannot be opened: No such file or directory");
  EXPECT_EQ(ReadCanvasFile(base).error, "not a file");
  EXPECT_EQ(ReadCanvasFile("/dev/zero").error, "not a file");
}

// Thousands of damaged files: every one is read to an answer, a rejected one
// always with a message, and whatever is accepted is drawn without trouble.
TEST(CanvasReader, DamagedFilesAreAnsweredAndWhatIsAcceptedIsDrawn) {
  std::mt19937 gen(20240611);
  const std::string alphabet = " -.0123456789E+\\/\r\n%x";
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string text = kGood;
    for (int edits = 1 + static_cast<int>(gen() % 4); edits > 0; --edits) {
      const size_t at = gen() % text.size();
      switch (gen() % 5) {
        case 0:
          text[at] = alphabet[gen() % alphabet.size()];
          break;
        case 1:
          text.insert(at, 1, alphabet[gen() % alphabet.size()]);
          break;
        case 2:
          text.erase(at, 1 + gen() % 8);
          break;
        case 3:
          text[at] = static_cast<char>(gen());
          break;
        default:
          text += text.substr(at);  // repeated records, and torn ones
      }
      if (text.empty()) text = "\n";
    }
    const CanvasRead read = ParseCanvasText(text);
    if (!read.ok()) {
      EXPECT_EQ(read.error.substr(0, 5), "line ") << read.error;
      continue;
    }
    ++accepted;
    if (CanvasWork(read.design, 64, 48, 1e8) > 1e8) continue;
    Surface surface(64, 48);
    DrawCanvasImage(read.design, surface);
  }
  EXPECT_GT(accepted, 100);
}

}  // namespace
}  // namespace kalo
