#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "files/profile_file.h"
#include "support/file_text.h"
#include "support/full_disk.h"

namespace kalo {
namespace {

using namespace std::string_literals;
using Writes = std::vector<std::pair<std::string, std::string>>;

std::string Get(std::string_view text, std::string_view section, std::string_view key,
                std::string_view def = "dflt") {
  return ProfileSection(text, section).Get(key, def);
}

using test::ReadFile;
using test::WriteFile;

TEST(ProfileRead, NamesMatchWithoutCaseAndBlanksDoNotCount) {
  const std::string text =
      "[Other]\nKey=other\n"
      "  [ screen saver.KALOSHARE ]  \n"
      "  kalospiral   =   yes  \n"
      "\tDrawDelay\t=\t12\t\n"
      "AZaz=ends\n";
  EXPECT_EQ(Get(text, "Screen Saver.KaloShare", "KaloSpiral"), "yes");
  EXPECT_EQ(Get(text, "Screen Saver.KaloShare", "azAZ"), "ends") << "the first and last letters fold";
  EXPECT_EQ(Get(text, "Screen Saver.KaloShare", "drawdelay"), "12");
  EXPECT_EQ(Get(text, "Screen Saver.KaloShare", "Key"), "dflt") << "key of another section";
  EXPECT_EQ(Get(text, "Missing", "Key"), "dflt");
  EXPECT_EQ(Get("", "Other", "Key"), "dflt");
  EXPECT_FALSE(ProfileSection(text, "Missing").found());
}

TEST(ProfileRead, ValueIsSeenThroughAnEightCharacterBuffer) {
  const std::string text = "[S]\nRound=Circular\nEmpty=\nExact=1234567\n";
  EXPECT_EQ(Get(text, "S", "Round"), "Circula");
  EXPECT_EQ(Get(text, "S", "Exact"), "1234567");
  EXPECT_EQ(Get(text, "S", "Empty"), "") << "a present but empty key is not the default";
  EXPECT_EQ(Get(text, "S", "Missing", "Defaults"), "Default") << "defaults pass the buffer too";
  EXPECT_EQ(ProfileSection(text, "S").Get("Round", "", 4), "Cir");
  EXPECT_EQ(ProfileSection(text, "S").Get("Round", "", 0), "");
}

TEST(ProfileRead, FirstOfDuplicatesWinsAndLooseKeysBelongNowhere) {
  const std::string text =
      "Loose=outside\n"
      "[S]\nA=first\nA=second\n"
      "[T]\nA=t\n"
      "[s]\nA=third\nB=only-in-repeat\n";
  EXPECT_EQ(Get(text, "S", "A"), "first");
  EXPECT_EQ(Get(text, "S", "B"), "dflt") << "a repeated section adds nothing";
  EXPECT_EQ(Get(text, "S", "Loose"), "dflt");
  EXPECT_EQ(Get(text, "T", "A"), "t");
}

TEST(ProfileRead, LineEndingsHeadersAndOddLines) {
  // The last line lost its LF and keeps its CR.
  const std::string mixed = "[A]\r\nX=crlf\r\n[B]\nX=lf\n[C]\r\nX=cut\r";
  EXPECT_EQ(Get(mixed, "A", "X"), "crlf");
  EXPECT_EQ(Get(mixed, "B", "X"), "lf");
  EXPECT_EQ(Get(mixed, "C", "X"), "cut");

  // A header that lost its bracket still opens its section and still ends
  // the one before it; text after a closing bracket is not part of the name.
  const std::string headers =
      "[A]\nX=a\n"
      "[Broken Header  \nX=broken\n"
      "[Tail] ; remark\nX=tail\n";
  EXPECT_EQ(Get(headers, "Broken Header", "X"), "broken");
  EXPECT_EQ(Get(headers, "A", "X"), "a");
  EXPECT_EQ(Get(headers, "Tail", "X"), "tail");

  // Lines without "=" are not keys; comments never match a real key; a
  // byte-order mark does not hide the first header.
  const std::string odd = "\xEF\xBB\xBF[S]\nX\n; X=comment\nX=real\n";
  EXPECT_EQ(Get(odd, "S", "X"), "real");
}

TEST(ProfileRead, BinaryBytesAndNulsAreHarmless) {
  std::string text = "[S]\nA=ab";
  text += '\0';
  text += "cdef\nB=\xff\xfe\x01\x80zz\n";
  text += "\0\0\0[\0]\n=\n[\n]\n==\n"s;
  text += "C=ok\n";
  EXPECT_EQ(Get(text, "S", "A"), "ab") << "a NUL ends the value";
  EXPECT_EQ(Get(text, "S", "B"), "\xff\xfe\x01\x80zz");
  EXPECT_EQ(Get(text, "S", "C"), "dflt") << "the lone [ opened a section of its own";

  std::string noise;
  for (int i = 0; i < 200000; ++i) noise += static_cast<char>((i * 7919) % 256);
  EXPECT_EQ(Get(noise + "\n[S]\nA=fine\n", "S", "A"), "fine");
}

// How fast such texts are read is measured by bench/profile_bench.
TEST(ProfileRead, HugeLinesAndManySectionsAreRead) {
  const std::string huge(5 << 20, 'x');
  const std::string text = "[S]\nJunk=" + huge + "\n" + huge + "\nLong=" + huge + "\nA=1\n";
  EXPECT_EQ(Get(text, "S", "Long"), "xxxxxxx");
  EXPECT_EQ(Get(text, "S", "A"), "1");

  std::string many;
  for (int i = 0; i < 30000; ++i) many += "[Sec" + std::to_string(i) + "]\nKey=value\n";
  many += "[S]\nA=found\n";
  EXPECT_EQ(ProfileSection(many, "S").Get("A", "dflt"), "found");
  EXPECT_EQ(ProfileSection(many, "Sec29999").Get("Key", "dflt"), "value");
}

TEST(ProfileFileRead, AFileAboveTheLimitIsNeitherReadNorCutDown) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("CONTROL.INI").toStdString();
  // Padded with NULs, sparse where the file system allows: gigabytes cost
  // nothing to make, and must cost nothing to refuse.
  for (const std::uint64_t size : {std::uint64_t{kProfileFileLimit},
                                   std::uint64_t{kProfileFileLimit + 1}, std::uint64_t{3} << 30}) {
    const bool fits = size <= kProfileFileLimit;
    WriteFile(path, "[S]\nA=found\n");
    ASSERT_EQ(truncate(path.c_str(), static_cast<off_t>(size)), 0);
    const ProfileText file = ReadProfileText(path);
    EXPECT_EQ(file.status, fits ? ProfileReadStatus::kRead : ProfileReadStatus::kTooLarge) << size;
    EXPECT_EQ(file.text.size(), fits ? size : 0) << size;
    EXPECT_EQ(file.error, fits ? "" : "it is larger than 1 MB, which no profile is");

    std::string error;
    EXPECT_EQ(WriteProfileStrings(path, "S", Writes{{"A", "new"}}, &error), fits) << size;
    EXPECT_NE(error.find(fits ? "" : "(it is larger than 1 MB"), std::string::npos) << error;
    struct stat st {};
    EXPECT_TRUE(fits ||
                (stat(path.c_str(), &st) == 0 && static_cast<std::uint64_t>(st.st_size) == size));
  }
}

TEST(ProfileFileRead, MissingFolderPipeOrFolderInPlace) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string base = dir.path().toStdString();
  EXPECT_EQ(ReadProfileText(base + "/none/CONTROL.INI").status, ProfileReadStatus::kMissing);
  WriteFile(base + "/plain", "x");
  EXPECT_EQ(ReadProfileText(base + "/plain/CONTROL.INI").status, ProfileReadStatus::kMissing);

  ProfileText folder = ReadProfileText(base);
  EXPECT_EQ(folder.status, ProfileReadStatus::kUnreadable);
  EXPECT_FALSE(folder.error.empty());

  // A pipe with no writer would block a plain open for ever.
  const std::string fifo = base + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_EQ(ReadProfileText(fifo).status, ProfileReadStatus::kUnreadable);

  WriteFile(base + "/ok", "a\0b\r\n"s);
  ProfileText ok = ReadProfileText(base + "/ok");
  EXPECT_EQ(ok.status, ProfileReadStatus::kRead);
  EXPECT_EQ(ok.text, "a\0b\r\n"s);
}

TEST(ProfileWrite, KeyLineIsReplacedWhereItStandsAndNothingElseMoves) {
  const std::string before =
      "; saver settings\r\n"
      "[Desktop]\r\nWallpaper=none\r\n\r\n"
      "[Screen Saver.KaloShare]\r\n"
      "  kalospiral = FALSE\r\n"
      "; keep me\n"
      "DrawDelay=5\r\n"
      "\r\n"
      "[After]\nx = 1\n";
  const std::string after = ApplyProfileWrites(before, "screen saver.kaloshare",
                                               Writes{{"KaloSpiral", "TRUE"}, {"DrawDelay", "12"}});
  EXPECT_EQ(after,
            "; saver settings\r\n"
            "[Desktop]\r\nWallpaper=none\r\n\r\n"
            "[Screen Saver.KaloShare]\r\n"
            "KaloSpiral=TRUE\r\n"
            "; keep me\n"
            "DrawDelay=12\r\n"
            "\r\n"
            "[After]\nx = 1\n");
}

TEST(ProfileWrite, MissingKeyGoesAfterTheLastLineOfItsSection) {
  const std::string before = "[S]\nA=1\n; note\n\n\n[T]\nB=2\n";
  EXPECT_EQ(ApplyProfileWrites(before, "S", Writes{{"New", "x"}, {"A", "9"}, {"Z", "z"}}),
            "[S]\nA=9\n; note\nNew=x\nZ=z\n\n\n[T]\nB=2\n");

  // The section's last line is the file's last and has no line ending.
  EXPECT_EQ(ApplyProfileWrites("[T]\r\nB=2\r\n[S]\r\nA=1", "S", Writes{{"New", "x"}}),
            "[T]\r\nB=2\r\n[S]\r\nA=1\r\nNew=x\r\n");
  EXPECT_EQ(ApplyProfileWrites("[S]\n", "S", Writes{{"New", "x"}}), "[S]\nNew=x\n");

  // Only the first of duplicate sections and keys is written, as only it is
  // ever read.
  EXPECT_EQ(ApplyProfileWrites("[S]\nA=1\nA=2\n[S]\nA=3\n", "S", Writes{{"A", "x"}, {"B", "y"}}),
            "[S]\nA=x\nA=2\nB=y\n[S]\nA=3\n");
}

TEST(ProfileWrite, MissingSectionGoesAtTheEndOfTheFile) {
  EXPECT_EQ(ApplyProfileWrites("", "S", Writes{{"A", "1"}, {"B", "2"}}), "[S]\nA=1\nB=2\n");
  EXPECT_EQ(ApplyProfileWrites("[T]\r\nB=2", "S", Writes{{"A", "1"}}),
            "[T]\r\nB=2\r\n\r\n[S]\r\nA=1\r\n");
  EXPECT_EQ(ApplyProfileWrites("[T]\nB=2\n\n", "S", Writes{{"A", "1"}}), "[T]\nB=2\n\n[S]\nA=1\n");
  EXPECT_EQ(ApplyProfileWrites("Loose=1\n", "S", Writes{{"Loose", "2"}}),
            "Loose=1\n\n[S]\nLoose=2\n");
  EXPECT_EQ(ApplyProfileWrites("[T]\n", "S", Writes{}), "[T]\n");
}

TEST(ProfileWrite, WhatIsWrittenReadsBackThroughHostileText) {
  std::string text = "\0\xff[\n"s + "[S\nA=" + std::string(1 << 20, 'q') + "\n";
  text += "[S]\nB=old\n";
  const std::string after = ApplyProfileWrites(text, "S", Writes{{"A", "new"}, {"B", "b"}});
  EXPECT_EQ(Get(after, "S", "A"), "new") << "the bracketless header is the section";
  EXPECT_EQ(Get(after, "S", "B"), "b");
  EXPECT_NE(after.find("[S]\nB=old\n"), std::string::npos) << "the shadowed repeat stays";
}

class ProfileFileWrite : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }
  std::string Path(const std::string& rel) const {
    return dir_.filePath(QString::fromStdString(rel)).toStdString();
  }
  QStringList Entries(const std::string& rel) const {
    return QDir(QString::fromStdString(Path(rel)))
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }
  QTemporaryDir dir_;
};

TEST_F(ProfileFileWrite, CreatesFolderAndFileAndKeepsOtherSections) {
  const std::string path = Path("deep/er/CONTROL.INI");
  std::string error;
  ASSERT_TRUE(WriteProfileStrings(path, "S", Writes{{"A", "1"}}, &error)) << error;
  EXPECT_EQ(ReadFile(path), "[S]\nA=1\n");

  WriteFile(path, "[T]\r\nB=2\r\n\r\n[S]\r\nA=1\r\n");
  ASSERT_TRUE(WriteProfileStrings(path, "S", Writes{{"A", "7"}, {"C", "3"}}, &error)) << error;
  EXPECT_EQ(ReadFile(path), "[T]\r\nB=2\r\n\r\n[S]\r\nA=7\r\nC=3\r\n");
  EXPECT_EQ(Entries("deep/er"), QStringList{"CONTROL.INI"}) << "no temporary file left behind";
}

TEST_F(ProfileFileWrite, FailureIsReportedAndLeavesTheOldFileAlone) {
  std::string error;
  // The folder cannot be made: a file stands where it should be.
  WriteFile(Path("file-not-dir"), "x");
  EXPECT_FALSE(
      WriteProfileStrings(Path("file-not-dir/CONTROL.INI"), "S", Writes{{"A", "1"}}, &error));
  EXPECT_NE(error.find("file-not-dir"), std::string::npos) << error;
  EXPECT_EQ(ReadFile(Path("file-not-dir")), "x");

  // A folder stands where the file should be.
  ASSERT_TRUE(QDir(dir_.path()).mkdir("CONTROL.INI"));
  error.clear();
  EXPECT_FALSE(WriteProfileStrings(Path("CONTROL.INI"), "S", Writes{{"A", "1"}}, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("CONTROL.INI"))).isDir());

  // A file that cannot be read is not written over blind.
  const std::string fifo = Path("fifo.ini");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(WriteProfileStrings(fifo, "S", Writes{{"A", "1"}}, &error));
  struct stat st {};
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));

  // A value that would break its line is refused, not written.
  const std::string good = Path("good.ini");
  WriteFile(good, "[S]\nA=1\n");
  EXPECT_FALSE(WriteProfileStrings(good, "S", Writes{{"A", "1\n[Evil]\nX=1"}}, &error));
  EXPECT_EQ(ReadFile(good), "[S]\nA=1\n");
}

TEST_F(ProfileFileWrite, FullDiskOrALinkedProfile) {
  // A small profile fits in the writer's buffer, so only a check of every
  // byte on disk notices that none of it got there.
  const std::string old = "[Desktop]\nWallpaper=(None)\n\n[Screen Saver.Marquee]\nSpeed=3\n";
  const std::string path = Path("CONTROL.INI");
  WriteFile(path, old);
  std::string error;
  bool written;
  {
    const test::FullDisk disk;
    written = WriteProfileStrings(path, "S", Writes{{"A", "2"}}, &error);
  }
  EXPECT_FALSE(written);
  EXPECT_NE(error.find(path + ": " + std::strerror(EFBIG)), std::string::npos) << error;
  EXPECT_EQ(ReadFile(path), old);
  EXPECT_EQ(Entries(""), QStringList{"CONTROL.INI"});

  // A profile linked from elsewhere stays linked; the file it points to is
  // the one written.
  WriteFile(Path("dotfiles.ini"), old);
  ASSERT_EQ(chmod(Path("dotfiles.ini").c_str(), 02640), 0);
  ASSERT_EQ(symlink("dotfiles.ini", Path("linked.ini").c_str()), 0);
  ASSERT_TRUE(WriteProfileStrings(Path("linked.ini"), "S", Writes{{"A", "2"}}, &error)) << error;
  EXPECT_EQ(ReadFile(Path("dotfiles.ini")), old + "\n[S]\nA=2\n");
  EXPECT_TRUE(QFileInfo(QString::fromStdString(Path("linked.ini"))).isSymLink());
  struct stat st {};
  ASSERT_EQ(stat(Path("dotfiles.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u) << "the replaced file keeps its permissions, not set-group";
}

}  // namespace
}  // namespace kalo
