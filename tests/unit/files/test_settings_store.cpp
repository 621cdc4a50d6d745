#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <cstdlib>
#include <optional>
#include <string>

#include "core/setting_rules.h"
#include "files/profile_file.h"
#include "files/settings_store.h"
#include "support/file_text.h"

namespace kalo {
namespace {

using test::ReadFile;
using test::WriteFile;

// Sets an environment variable for one scope and puts back what was there.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value, 1);
    } else {
      unsetenv(name);
    }
  }
  ~ScopedEnv() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

class SettingsStore : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string Path(const char* rel = "CONTROL.INI") const {
    return dir_.filePath(rel).toStdString();
  }
  QTemporaryDir dir_;
};

TEST_F(SettingsStore, MissingProfileGivesEveryDefault) {
  WriteFile(Path("other.ini"), "[Screen Saver.Other]\nKaloSpiral=FALSE\n");
  // Too large to be a profile: not read, and said once though read twice.
  WriteFile(Path("huge.ini"),
            "[Screen Saver.KaloShare]\nKaloSpiral=FALSE\n" + std::string(kProfileFileLimit, ';'));
  testing::internal::CaptureStderr();
  for (const std::string& path : {Path(), Path("no/such/CONTROL.INI"), Path("other.ini"),
                                  dir_.path().toStdString(), Path("huge.ini"), Path("huge.ini")}) {
    SCOPED_TRACE(path);
    const SettingsTexts t = ReadSettings(path);
    EXPECT_TRUE(ReadsTrue(t[kKaloSpiral]));
    EXPECT_FALSE(ReadsTrue(t[kKaloYarn]));
    EXPECT_FALSE(ReadsTrue(t[kKaloStar]));
    EXPECT_TRUE(ReadsTrue(t[kKaloGons]));
    EXPECT_FALSE(ReadsTrue(t[kKaloAngle]));
    EXPECT_FALSE(ReadsTrue(t[kKaloBoxes]));
    EXPECT_EQ(Number(t[kDrawDelay]), 0);
    EXPECT_EQ(Number(t[kBrightness]), 255);
    EXPECT_EQ(Number(t[kMaxDrawWidth]), 80);
    EXPECT_EQ(Number(t[kMaxLayers]), 32);
    EXPECT_EQ(Code(t[kLinesDots]), "LD");
    EXPECT_EQ(Code(t[kSolidMix]), "SM");
    EXPECT_EQ(Code(t[kBgColor]), "BL");
    EXPECT_EQ(Code(t[kRoundness]), "BO");
    EXPECT_TRUE(ReadsTrue(t[kShowAbout]));
  }
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "kalosaver: " + Path("huge.ini") +
                ": it is larger than 1 MB, which no profile is; the default settings are used\n");
}

TEST_F(SettingsStore, StoredTextsAreSeenTruncatedAndInterpreted) {
  WriteFile(Path(),
            "[Screen Saver.KaloShare]\r\n"
            "KaloSpiral=false\r\n"
            "kaloyarn=tRuE\r\n"
            "KALOSTAR=YES\r\n"
            "KaloGons=1\r\n"
            "KaloAngle=TRUEISH\r\n"
            "KaloBoxes=\r\n"
            "DrawDelay=12ms\r\n"
            "Brightness=bright\r\n"
            "MaxDrawWidth= 1 2 \r\n"
            "MaxLayers=7.9\r\n"
            "LinesDots=Lines\r\n"
            "SolidMix=mix\r\n"
            "BgColor=Random\r\n"
            "Roundness=Circular\r\n");
  const SettingsTexts t = ReadSettings(Path());
  EXPECT_FALSE(ReadsTrue(t[kKaloSpiral]));
  EXPECT_TRUE(ReadsTrue(t[kKaloYarn]));
  EXPECT_FALSE(ReadsTrue(t[kKaloStar]));
  EXPECT_FALSE(ReadsTrue(t[kKaloGons]));
  EXPECT_TRUE(ReadsTrue(t[kKaloAngle]));
  EXPECT_FALSE(ReadsTrue(t[kKaloBoxes]));
  EXPECT_EQ(Number(t[kDrawDelay]), 12);
  EXPECT_EQ(Number(t[kBrightness]), 0);
  EXPECT_EQ(Number(t[kMaxDrawWidth]), 12);
  EXPECT_DOUBLE_EQ(Number(t[kMaxLayers]), 7.9);
  EXPECT_EQ(Code(t[kLinesDots]), "LI");
  EXPECT_EQ(Code(t[kSolidMix]), "MI");
  EXPECT_EQ(Code(t[kBgColor]), "RA");
  EXPECT_EQ(t[kRoundness], "Circula");
  EXPECT_EQ(Code(t[kRoundness]), "CI");
  EXPECT_TRUE(ReadsTrue(t[kShowAbout])) << "a missing key keeps its default";

  EXPECT_FALSE(ReadsTrue("tru"));
  EXPECT_FALSE(ReadsTrue(""));
  EXPECT_EQ(Code("d"), "D");
}

TEST_F(SettingsStore, WriteKeepsTheRestOfTheFileAndReadsBack) {
  const std::string others =
      "; hand-written\r\n[Desktop]\r\nPattern=(None)\r\n\r\n[Screen Saver.Marquee]\r\nSpeed=3\r\n";
  WriteFile(Path(), others + "\r\n[screen saver.kaloshare]\r\nKaloSpiral=FALSE\r\nExtra=keep\r\n");

  SettingsTexts texts;
  for (int k = 0; k < kSettingCount; ++k) texts.text[k] = kSettingDefaults[k];
  texts[kKaloStar] = "TRUE";
  texts[kDrawDelay] = "999";
  texts[kRoundness] = "Circular";
  const WriteResult result = WriteSettings(texts, Path());
  ASSERT_TRUE(result.ok) << result.error;

  const std::string written = ReadFile(Path());
  EXPECT_EQ(written, others +
                         "\r\n[screen saver.kaloshare]\r\nKaloSpiral=TRUE\r\nExtra=keep\r\n"
                         "KaloYarn=FALSE\r\nKaloStar=TRUE\r\nKaloGons=TRUE\r\nKaloAngle=FALSE\r\n"
                         "KaloBoxes=FALSE\r\nDrawDelay=999\r\nBrightness=255\r\nMaxDrawWidth=80\r\n"
                         "MaxLayers=32\r\nLinesDots=LD\r\nSolidMix=SM\r\nBgColor=BLACK\r\n"
                         "Roundness=Circular\r\nShowAbout=TRUE\r\n");

  const SettingsTexts back = ReadSettings(Path());
  texts[kRoundness] = "Circula";
  EXPECT_EQ(back.text, texts.text);
}

TEST_F(SettingsStore, SomeDesignTypeIsAlwaysWritten) {
  SettingsTexts texts;
  for (int k = 0; k < kSettingCount; ++k) texts.text[k] = kSettingDefaults[k];
  for (int k = kKaloSpiral; k <= kKaloBoxes; ++k) texts.text[k] = "FALSE";
  ASSERT_TRUE(WriteSettings(texts, Path()).ok);
  const SettingsTexts back = ReadSettings(Path());
  EXPECT_EQ(back[kKaloSpiral], "TRUE");
  for (int k = kKaloYarn; k <= kKaloBoxes; ++k) EXPECT_EQ(back.text[k], "FALSE");
  // Boxes alone, the last type, is a type enabled: spiral stays off.
  texts.text[kKaloBoxes] = "TRUE";
  ASSERT_TRUE(WriteSettings(texts, Path()).ok);
  EXPECT_EQ(ReadSettings(Path())[kKaloSpiral], "FALSE");
}

TEST_F(SettingsStore, FailedWriteIsReportedAndOldFileStays) {
  WriteFile(Path("file-not-dir"), "[Screen Saver.KaloShare]\nKaloSpiral=FALSE\n");
  SettingsTexts texts;
  for (int k = 0; k < kSettingCount; ++k) texts.text[k] = kSettingDefaults[k];
  const WriteResult result = WriteSettings(texts, Path("file-not-dir/CONTROL.INI"));
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.error.empty());
  EXPECT_EQ(ReadFile(Path("file-not-dir")), "[Screen Saver.KaloShare]\nKaloSpiral=FALSE\n");
}

TEST_F(SettingsStore, ProfileLivesInTheUserConfigurationFolder) {
  const std::string home = dir_.path().toStdString();
  ScopedEnv homeEnv("HOME", home.c_str());
  {
    ScopedEnv xdg("XDG_CONFIG_HOME", (home + "/cfg").c_str());
    EXPECT_EQ(ProfilePath(), home + "/cfg/kalosaver/CONTROL.INI");

    // The folder is made on the first write.
    SettingsTexts texts;
    for (int k = 0; k < kSettingCount; ++k) texts.text[k] = kSettingDefaults[k];
    ASSERT_TRUE(WriteSettings(texts, ProfilePath()).ok);
    EXPECT_TRUE(ReadsTrue(ReadSettings(ProfilePath())[kShowAbout]));
  }
  for (const char* unusable : {static_cast<const char*>(nullptr), "", "relative/cfg"}) {
    ScopedEnv xdg("XDG_CONFIG_HOME", unusable);
    EXPECT_EQ(ProfilePath(), home + "/.config/kalosaver/CONTROL.INI");
  }
}

}  // namespace
}  // namespace kalo
