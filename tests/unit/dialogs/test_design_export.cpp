#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <optional>
#include <string>
#include <vector>

#include "canvas/canvas_file.h"
#include "dialogs/design_export.h"
#include "files/file_error.h"
#include "support/full_disk.h"
#include "support/scripted_save_ui.h"

namespace kalo {
namespace {

const std::string kBitmapFilter = "All Files (*.*)|*.*| WINDOWS Bitmap (*.bmp)|*.bmp";
const std::string kCanvasFilter = "All Files (*.*)|*.*| KaloDraw Canvas (*.cvd)|*.cvd";
const std::string kLayerA = " 0\\ 16711680\\ 3\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\-1\\ 9\\ 13\\/";
const std::string kLayerB = " 0\\ 255\\ 1\\ 1\\ 60\\ 25\\ 40\\-1\\ 0\\-1\\-1\\ 0\\ 9\\ 7\\/";

std::string ReadAll(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<missing>";
  return f.readAll().toStdString();
}

void WriteText(const std::string& path, const std::string& text) {
  QFile f(QString::fromStdString(path));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(text.data(), static_cast<qint64>(text.size()));
}

class DesignExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(tmp_.isValid());
    root_ = tmp_.path().toStdString();
    program_ = root_ + "/prog";
    current_ = root_ + "/companion";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(program_ + "/designs")));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(current_)));
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(root_ + "/art")));
    design_.DesignType = KaloSpiral;
    design_.DesignRecord = " 0\\" + kLayerA;
    run_.SavePending = true;
  }

  DesignExport Make() {
    ExportHooks hooks;
    hooks.HideBanner = [this] { log_.push_back("hide banner"); };
    hooks.RestoreCursor = [this] { log_.push_back("show cursor"); };
    hooks.HideCursor = [this] { log_.push_back("hide cursor"); };
    hooks.SaveBitmap = [this](const std::string& path) {
      log_.push_back("bitmap " + path);
      return bitmap_error_;
    };
    hooks.EndSaver = [this] { log_.push_back("end"); };
    return DesignExport(run_, design_, ui_, hooks, program_, current_);
  }

  QTemporaryDir tmp_;
  std::string root_, program_, current_;
  RunState run_;
  DesignState design_;
  ScriptedSaveUi ui_;
  std::vector<std::string> log_;
  std::string bitmap_error_;
};

TEST_F(DesignExportTest, BitmapThenCanvasRememberNameAndFolder) {
  DesignExport exporter = Make();
  const std::string bmp = root_ + "/art/one.bmp";
  ui_.yes_no = {true, true};
  ui_.file_names = {bmp, root_ + "/art/one.cvd"};

  exporter.SaveData(0);
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0].prompt, "Save as a Wallpaper/Bitmap (.bmp) file?");
  EXPECT_EQ(ui_.questions[0].title, "Save as WINDOWS Bitmap file?");
  ASSERT_EQ(ui_.requests.size(), 1u);
  EXPECT_EQ(ui_.requests[0].initial_name, "*.bmp");
  EXPECT_EQ(ui_.requests[0].folder, program_ + "/designs");
  EXPECT_EQ(ui_.requests[0].filter, kBitmapFilter);
  EXPECT_EQ(ui_.requests[0].filter_index, 2);
  EXPECT_EQ(ui_.requests[0].default_extension, "bmp");
  EXPECT_EQ(log_, (std::vector<std::string>{"hide banner", "show cursor", "bitmap " + bmp,
                                            "hide cursor"}));
  EXPECT_EQ(exporter.SaveFileName(), bmp);
  EXPECT_EQ(exporter.SaveFolder(), root_ + "/art");

  exporter.SaveData(1);
  ASSERT_EQ(ui_.questions.size(), 2u);
  EXPECT_EQ(ui_.questions[1].prompt, "Save as a 'KaloSpiral' Canvas data file for 'KaloDraw'?");
  EXPECT_EQ(ui_.questions[1].title, "KaloDraw Canvas data file save query");
  ASSERT_EQ(ui_.requests.size(), 2u);
  EXPECT_EQ(ui_.requests[1].initial_name, root_ + "/art/one.cvd");
  EXPECT_EQ(ui_.requests[1].folder, root_ + "/art");
  EXPECT_EQ(ui_.requests[1].filter, kCanvasFilter);
  EXPECT_EQ(ui_.requests[1].filter_index, 2);
  EXPECT_EQ(ui_.requests[1].default_extension, "cvd");
  EXPECT_EQ(ReadAll(root_ + "/art/one.cvd"), CanvasFileText(design_.DesignRecord));
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_FALSE(ui_.overrun);
}

TEST_F(DesignExportTest, OfferedNameSwitchesOnlyKnownExtensionsInAnyCase) {
  DesignExport exporter = Make();
  ui_.yes_no = {true, true, true, true};
  ui_.file_names = {root_ + "/art/two.DPD", root_ + "/art/three.Dpd", root_ + "/art/four.bmp",
                    root_ + "/art/five.txt"};
  exporter.SaveData(0);  // chosen two.DPD
  exporter.SaveData(1);  // offered two.cvd, chosen three.Dpd
  exporter.SaveData(0);  // offered three.bmp, chosen four.bmp
  exporter.SaveData(0);  // a bitmap name is not switched for a bitmap: the pattern
  ASSERT_EQ(ui_.requests.size(), 4u);
  EXPECT_EQ(ui_.requests[1].initial_name, root_ + "/art/two.cvd");
  EXPECT_EQ(ui_.requests[2].initial_name, root_ + "/art/three.bmp");
  EXPECT_EQ(ui_.requests[3].initial_name, "*.bmp");
  EXPECT_EQ(ui_.requests[3].folder, root_ + "/art");
}

TEST_F(DesignExportTest, NoSavesNothingAndLetsTheCanvasQuestionFollow) {
  DesignExport exporter = Make();
  ui_.yes_no = {true, false, true};
  ui_.file_names = {root_ + "/art/one.bmp", root_ + "/art/one.cvd"};
  exporter.SaveData(0);
  log_.clear();

  exporter.SaveData(1);  // No to the canvas file
  EXPECT_EQ(ui_.requests.size(), 1u);
  EXPECT_EQ(log_, (std::vector<std::string>{"hide banner", "show cursor", "hide cursor"}));
  EXPECT_EQ(exporter.SaveFileName(), root_ + "/art/one.bmp");
  EXPECT_EQ(exporter.SaveFolder(), root_ + "/art");

  // The design loop's next call asks again.
  exporter.SaveData(1);
  EXPECT_EQ(ui_.questions.size(), 3u);
  EXPECT_EQ(ui_.requests.size(), 2u);
  EXPECT_EQ(ReadAll(root_ + "/art/one.cvd"), CanvasFileText(design_.DesignRecord));
}

TEST_F(DesignExportTest, NoToTheBitmapStillAsksForTheCanvasFile) {
  DesignExport exporter = Make();
  ui_.yes_no = {false, true};
  ui_.file_names = {root_ + "/art/only.cvd"};
  exporter.SaveData(0);
  exporter.SaveData(1);
  ASSERT_EQ(ui_.requests.size(), 1u);
  EXPECT_EQ(ui_.requests[0].initial_name, "*.cvd");
  EXPECT_EQ(ui_.requests[0].folder, program_ + "/designs");
  EXPECT_EQ(ReadAll(root_ + "/art/only.cvd"), CanvasFileText(design_.DesignRecord));
}

TEST_F(DesignExportTest, CancelKeepsTheOfferedNameAndClearsTheCancelFlag) {
  DesignExport exporter = Make();
  ui_.yes_no = {true, true};
  ui_.file_names = {root_ + "/art/one.bmp", std::nullopt};
  exporter.SaveData(0);
  log_.clear();
  exporter.SaveData(1);
  EXPECT_EQ(exporter.SaveFileName(), root_ + "/art/one.cvd");
  EXPECT_EQ(exporter.SaveFolder(), root_ + "/art");
  EXPECT_EQ(run_.SaveCancelled, false);
  EXPECT_EQ(ReadAll(root_ + "/art/one.cvd"), "<missing>");
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(log_, (std::vector<std::string>{"hide banner", "show cursor", "hide cursor"}));

  // A cancelled first save has not fixed the folder: the next one starts there too.
  DesignExport fresh = Make();
  ui_.yes_no = {true};
  ui_.file_names = {std::nullopt};
  fresh.SaveData(0);
  EXPECT_EQ(fresh.SaveFileName(), "*.bmp");
  EXPECT_EQ(fresh.SaveFolder(), program_ + "/designs");
}

TEST_F(DesignExportTest, PromptNamesTheDesignType) {
  design_.DesignType = KaloGons;
  DesignExport exporter = Make();
  ui_.yes_no = {false};
  exporter.SaveData(1);
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0].prompt, "Save as a 'Prismel' Canvas data file for 'KaloDraw'?");
}

TEST_F(DesignExportTest, UnwritableCanvasFileGivesOneMessageAndNoFile) {
  WriteText(root_ + "/blocker", "x");
  DesignExport exporter = Make();
  ui_.yes_no = {true};
  const std::string target = root_ + "/blocker/one.cvd";
  ui_.file_names = {target};
  exporter.SaveData(1);
  EXPECT_EQ(ui_.errors, (std::vector<std::string>{FileErrorMessage(ENOTDIR)}));
  EXPECT_EQ(log_,
            (std::vector<std::string>{"hide banner", "show cursor", "show cursor", "hide cursor"}));
  EXPECT_EQ(ReadAll(root_ + "/blocker"), "x");
  EXPECT_EQ(exporter.SaveFileName(), target);
}

TEST_F(DesignExportTest, FailedBitmapGivesItsMessageOnce) {
  bitmap_error_ = FileErrorMessage(ENOSPC);
  DesignExport exporter = Make();
  ui_.yes_no = {true};
  ui_.file_names = {root_ + "/art/full.bmp"};
  exporter.SaveData(0);
  EXPECT_EQ(ui_.errors, (std::vector<std::string>{bitmap_error_}));
  EXPECT_EQ(log_.back(), "hide cursor");
}

TEST(FirstSaveFolder, DesignsFolderThenProgramFolderThenPictures) {
  QTemporaryDir tmp;
  ASSERT_TRUE(tmp.isValid());
  const std::string program = tmp.path().toStdString();
  EXPECT_EQ(FirstSaveFolder(program), program);
  ASSERT_TRUE(QDir(tmp.path()).mkdir("designs"));
  EXPECT_EQ(FirstSaveFolder(program), program + "/designs");
  EXPECT_EQ(FirstSaveFolder(program + "/missing"),
            QStandardPaths::writableLocation(QStandardPaths::PicturesLocation).toStdString());
}

TEST_F(DesignExportTest, HandOffNoWritesOnlyTheAnswerAndEnds) {
  WriteText(current_ + "/kalosave.cvd", "earlier design");
  DesignExport exporter = Make();
  ui_.yes_no = {false};
  exporter.SaveDataForDrawPgm();
  ASSERT_EQ(ui_.questions.size(), 1u);
  EXPECT_EQ(ui_.questions[0].prompt, "Load This Design Onto The Canvas?");
  EXPECT_EQ(ui_.questions[0].title, "Auto-Draw Load Request");
  EXPECT_EQ(ReadAll(current_ + "/kalosave.cvd"), "earlier design");
  EXPECT_EQ(ReadAll(current_ + "/loadaskr.que"), "Load = NO\r\n");
  EXPECT_EQ(log_, (std::vector<std::string>{"hide banner", "show cursor", "hide cursor", "end"}));
  EXPECT_TRUE(ui_.requests.empty());
}

TEST_F(DesignExportTest, HandOffYesWritesTheDesignAndTheAnswer) {
  design_.DesignRecord = " 0\\" + kLayerA + kLayerB;
  DesignExport exporter = Make();
  ui_.yes_no = {true};
  exporter.SaveDataForDrawPgm();
  const std::string canvas = ReadAll(current_ + "/kalosave.cvd");
  EXPECT_EQ(canvas, CanvasFileText(design_.DesignRecord));
  EXPECT_EQ(std::count(canvas.begin(), canvas.end(), '\n'), 7);
  EXPECT_EQ(ReadAll(current_ + "/loadaskr.que"), "Load = YES\r\n");
  EXPECT_EQ(log_.back(), "end");
  EXPECT_TRUE(ui_.errors.empty());
}

TEST_F(DesignExportTest, HandOffNeverAnnouncesADesignThatCouldNotBeWritten) {
  // A folder where the canvas file should go: the design cannot be written.
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(current_ + "/kalosave.cvd")));
  DesignExport exporter = Make();
  ui_.yes_no = {true};
  exporter.SaveDataForDrawPgm();
  EXPECT_EQ(ui_.errors.size(), 1u);
  EXPECT_EQ(ReadAll(current_ + "/loadaskr.que"), "<missing>");
  EXPECT_EQ(log_.back(), "end");
}

TEST_F(DesignExportTest, HandOffToAnUnwritableFolderReportsOnceAndEndsCleanly) {
  WriteText(root_ + "/blocker", "x");
  for (bool answer : {true, false}) {
    log_.clear();
    ui_.errors.clear();
    current_ = root_ + "/blocker";
    DesignExport exporter = Make();
    ui_.yes_no = {answer};
    exporter.SaveDataForDrawPgm();
    EXPECT_EQ(ui_.errors, (std::vector<std::string>{FileErrorMessage(ENOTDIR)})) << answer;
    EXPECT_EQ(log_.back(), "end") << answer;
    EXPECT_EQ(std::count(log_.begin(), log_.end(), "end"), 1) << answer;
  }
}

TEST_F(DesignExportTest, FullDiskKeepsEveryOldFileAndSaysWhy) {
  const std::vector<std::string> names = {"one.cvd", "kalosave.cvd", "loadaskr.que"};
  for (const std::string& name : names) WriteText(current_ + "/" + name, "old " + name);
  DesignExport exporter = Make();
  ui_.yes_no = {true, true, false};
  ui_.file_names = {current_ + "/one.cvd"};
  {
    const test::FullDisk disk;
    exporter.SaveData(1);
    exporter.SaveDataForDrawPgm();  // Yes: the design cannot be handed over
    exporter.SaveDataForDrawPgm();  // No: not even the answer
  }
  EXPECT_EQ(ui_.errors, std::vector<std::string>(3, FileErrorMessage(EFBIG)));
  for (const std::string& name : names) EXPECT_EQ(ReadAll(current_ + "/" + name), "old " + name);
  EXPECT_EQ(QDir(QString::fromStdString(current_)).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

TEST_F(DesignExportTest, HandOffReplacesPlantedLinksInsteadOfWritingThroughThem) {
  WriteText(root_ + "/victim1", "someone else's file");
  WriteText(root_ + "/victim2", "another file of theirs");
  ASSERT_EQ(symlink((root_ + "/victim1").c_str(), (current_ + "/kalosave.cvd").c_str()), 0);
  ASSERT_EQ(symlink("../victim2", (current_ + "/loadaskr.que").c_str()), 0);
  DesignExport exporter = Make();
  ui_.yes_no = {true};
  exporter.SaveDataForDrawPgm();
  EXPECT_TRUE(ui_.errors.empty());
  EXPECT_EQ(ReadAll(root_ + "/victim1"), "someone else's file");
  EXPECT_EQ(ReadAll(root_ + "/victim2"), "another file of theirs");
  for (const char* name : {"kalosave.cvd", "loadaskr.que"})
    EXPECT_FALSE(QFileInfo(QString::fromStdString(current_ + "/" + name)).isSymLink()) << name;
  EXPECT_EQ(ReadAll(current_ + "/kalosave.cvd"), CanvasFileText(design_.DesignRecord));
  EXPECT_EQ(ReadAll(current_ + "/loadaskr.que"), "Load = YES\r\n");
}

}  // namespace
}  // namespace kalo
