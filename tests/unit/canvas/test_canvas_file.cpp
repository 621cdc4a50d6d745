#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "canvas/canvas_file.h"
#include "core/basic_types.h"
#include "core/numbers.h"
#include "files/file_error.h"

namespace kalo {
namespace {

// The one-layer Spiral of the user's guide: black background, blue pen of
// width 3, stretch 1, radii 60 and 25, pen radius 40, inner curve only, both
// pen modes, lines, detail 9, copy mode.
const std::string kSpiralRecord =
    " 0\\ 0\\ 16711680\\ 3\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\ 13\\/";

const std::string kHeader =
    "%%% PLEASE DO NOT EDIT OR CHANGE THIS KaloDraw DATA FILE!\r\n"
    "%%% This file is in a VERY PARTICULAR FORMAT.  'KaloDraw'\r\n"
    "%%% WILL CRASH if it attempts to load an altered data file!\r\n"
    "%%% This file was generated from KaloDraw DESIGN PROCESSOR.\r\n";

std::string ReadAll(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

TEST(CanvasFile, StampIsSixteenLettersAndDigits) {
  ASSERT_EQ(CanvasStamp.size(), 16u);
  for (char c : CanvasStamp) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << c;
}

TEST(CanvasFile, SpiralExampleRecordFollowsTheNumberRules) {
  // Built field by field from the record text rules, in the dispatcher's
  // order: background, type, colour, width, stretch, the nine Spiral values,
  // draw mode.
  std::string record = StrInt(0) + "\\";
  for (const std::string& field :
       {StrInt(KaloSpiral), StrInt(16711680), StrInt(3), StrSingle(1.0f), StrSingle(60.0f),
        StrSingle(25.0f), StrSingle(40.0f), StrInt(-1), StrInt(0), StrInt(-1), StrInt(-1),
        StrInt(-1), StrInt(9), StrInt(13)})
    record += field + "\\";
  record += "/";
  EXPECT_EQ(record, kSpiralRecord);

  EXPECT_EQ(CanvasFileText(kSpiralRecord),
            kHeader + std::string(CanvasStamp) + "c\r\n" + kSpiralRecord + "\r\n");
}

TEST(CanvasFile, ThreeLayersGiveEightLinesWithTheBackgroundOnlyOnTheFirstRecord) {
  const std::string layer1 = " 3\\ 255\\ 12\\ 1\\ 300\\ 7\\-1\\ 13\\/";
  const std::string layer2 = " 3\\ 65280\\ 6\\ 1\\ 300\\ 7\\ 0\\ 7\\/";
  const std::string layer3 = " 3\\ 16711935\\ 1\\ 1\\ 300\\ 7\\-1\\ 10\\/";
  const std::string background = " 8421504\\";
  std::vector<std::string> lines = CanvasLines(background + layer1 + layer2 + layer3);
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_EQ(lines[4], std::string(CanvasStamp) + "c");
  EXPECT_EQ(lines[5], background + layer1);
  EXPECT_EQ(lines[6], layer2);
  EXPECT_EQ(lines[7], layer3);

  // Every line ends in CR LF and nothing follows the last record.
  std::string text = CanvasFileText(background + layer1 + layer2 + layer3);
  EXPECT_EQ(text.substr(text.size() - layer3.size() - 2), layer3 + "\r\n");
  size_t crlf = 0;
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
    ++crlf;
  EXPECT_EQ(crlf, 8u);
  EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1);
}

TEST(CanvasFile, RecordWithoutClosingSlashKeepsItsTailAsALine) {
  std::vector<std::string> lines = CanvasLines(" 0\\ 1\\/ 2\\");
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[5], " 0\\ 1\\/");
  EXPECT_EQ(lines[6], " 2\\");
  EXPECT_EQ(CanvasLines("").size(), 5u);
}

TEST(CanvasFile, WritingReplacesTheFileWholeAndLeavesNoTemporaryBehind) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString path = dir.filePath("one.cvd");
  {
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older and much longer design file that must vanish entirely");
  }
  EXPECT_EQ(WriteCanvasFile(path.toStdString(), kSpiralRecord), "");
  EXPECT_EQ(ReadAll(path), CanvasFileText(kSpiralRecord));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"one.cvd"});
}

TEST(CanvasFile, UnwritableFolderGivesTheSystemErrorAndNoFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // A regular file where a folder should be: refused even to root.
  const QString blocker = dir.filePath("notafolder");
  {
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const std::string error = WriteCanvasFile((blocker + "/one.cvd").toStdString(), kSpiralRecord);
  EXPECT_EQ(error, "Error " + std::to_string(ENOTDIR) + "\n" + std::strerror(ENOTDIR));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notafolder"});
  // A device is named, its control characters shown as "?".
  ASSERT_EQ(symlink("/dev/null", (dir.path() + "/a\nb.cvd").toLocal8Bit().constData()), 0);
  EXPECT_EQ(WriteCanvasFile((dir.path() + "/a\nb.cvd").toStdString(), kSpiralRecord),
            "Error 22\n" + dir.path().toStdString() + "/a?b.cvd is not a regular file");
}

}  // namespace
}  // namespace kalo
