#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "core/basic_types.h"
#include "files/bitmap_file.h"
#include "files/file_error.h"
#include "files/whole_file.h"
#include "support/file_text.h"
#include "support/full_disk.h"

namespace kalo {
namespace {

// What Qt's own BMP writer made of the same pixels, the bytes saved bitmaps
// have always had.
QByteArray QtBitmapBytes(const std::vector<uint32_t>& pixels, int w, int h) {
  const QImage view(reinterpret_cast<const uchar*>(pixels.data()), w, h, w * 4,
                    QImage::Format_RGB32);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(view.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP"));
  return bytes;
}

TEST(BitmapFile, WritesTheSameBytesAsQtsWriterDid) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // Widths of every padding a row can need; tall and flat pictures.
  for (const auto& [w, h] : {std::pair{5, 3}, {1, 1}, {4, 2}, {6, 1}, {7, 9}, {1, 40}}) {
    std::vector<uint32_t> pixels(static_cast<size_t>(w * h));
    for (int i = 0; i < w * h; ++i)
      pixels[i] = 0xAB000000u | (static_cast<uint32_t>(i * 17 & 255) << 16) |
                  (((255u - i * 9) & 255) << 8) | (i * 31u & 255);
    const std::string path = dir.filePath("one.bmp").toStdString();
    ASSERT_EQ(SaveBitmapFile(pixels.data(), w, h, path), "");
    const QByteArray want = QtBitmapBytes(pixels, w, h);
    EXPECT_EQ(test::ReadFile(path), std::string(want.constData(), want.size())) << w << "x" << h;
  }
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"one.bmp"});
}

TEST(BitmapFile, SavesTheDrawnSurfaceAsItStands) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  Surface surface(37, 21);
  surface.Clear(RGB(0, 0, 128));
  surface.SetDrawWidth(5);
  surface.Line(2, 3, 34, 18, RGB(255, 128, 1));
  surface.SetDrawMode(7);
  surface.SetDrawWidth(1);
  surface.Line(0, 20, 36, 0, RGB(12, 34, 56));
  surface.PSet(30, 4, RGB(200, 0, 200));
  const QString path = dir.filePath("drawn.bmp");
  ASSERT_EQ(SaveBitmapFile(surface, path.toStdString()), "");

  QImage image;
  ASSERT_TRUE(image.load(path, "BMP"));
  ASSERT_EQ(image.size(), QSize(37, 21));
  int differing = 0;
  for (int y = 0; y < 21; ++y)
    for (int x = 0; x < 37; ++x)
      if ((image.pixel(x, y) & 0xFFFFFFu) != surface.pixel(x, y)) ++differing;
  EXPECT_EQ(differing, 0);
  EXPECT_EQ(image.pixel(0, 0) & 0xFFFFFFu, 0x000080u);  // the background, blue low
}

TEST(BitmapFile, UnwritableFolderOrFullDiskGivesOneMessageAndKeepsTheOldFile) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString blocker = dir.filePath("notafolder");
  {
    QFile f(blocker);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  }
  const uint32_t pixels[4] = {1, 2, 3, 4};
  EXPECT_EQ(SaveBitmapFile(pixels, 2, 2, (blocker + "/one.bmp").toStdString()),
            FileErrorMessage(ENOTDIR));
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"notafolder"});

  const std::string path = dir.filePath("one.bmp").toStdString();
  test::WriteFile(path, "the bitmap saved before");
  // No pixels, or more than the headers' 32-bit sizes can hold.
  for (const auto& [w, h, e] : {std::tuple{0, 2, EINVAL}, {2, 0, EINVAL}, {40000, 40000, EFBIG}})
    EXPECT_EQ(SaveBitmapFile(pixels, w, h, path), FileErrorMessage(e)) << w << "x" << h;
  std::string error;
  {
    const test::FullDisk disk;
    error = SaveBitmapFile(pixels, 2, 2, path);
  }
  EXPECT_EQ(error, FileErrorMessage(EFBIG));
  EXPECT_EQ(test::ReadFile(path), "the bitmap saved before");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"notafolder", "one.bmp"}));
}

// The whole-file writer, which every file the saver writes goes through.

TEST(WholeFile, AFileOfAnyOtherLengthThanPromisedIsNeverPutInPlace) {
  QTemporaryDir dir;
  const std::string path = dir.filePath("old.bmp").toStdString();
  // The bytes promised, the producer's own error, and the outcome.
  for (const auto& [promised, stop, want] :
       {std::tuple{10, 0, EIO}, {4, 0, EIO}, {5, ENOSPC, ENOSPC}, {5, 0, 0}}) {
    test::WriteFile(path, "old");
    const int error = WriteWholeFile(path, promised, [stop = stop](const FilePieceSink& sink) {
      const int e = sink("123");
      return e ? e : stop ? stop : sink("45");
    });
    EXPECT_EQ(error, want) << promised;
    EXPECT_EQ(test::ReadFile(path), want ? "old" : "12345") << promised;
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.bmp"});
  }
}

// Root may write anything; what another user may do is tried by handing the
// files and folders to another uid.
constexpr uid_t kOtherUser = 4242;

TEST(WholeFile, LinksInSharedStickyFoldersAreFollowedOnlyWhereTheSystemWould) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give links and folders other owners";
  struct Row {
    const char* what;
    mode_t folder_mode;
    uid_t folder_owner, link_owner;
    bool through_own_link, followed;
  };
  for (const Row& row : {
           Row{"another user's link in a /tmp", 01777, 0, kOtherUser, false, false},
           Row{"reached through a link of ours", 01777, 0, kOtherUser, true, false},
           Row{"our own link there", 01777, 0, 0, false, true},
           Row{"the folder owner's link", 01777, kOtherUser, kOtherUser, false, true},
           Row{"a folder without the sticky bit", 0777, 0, kOtherUser, false, true},
           Row{"a sticky folder others may not write", 01775, 0, kOtherUser, false, true},
       }) {
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString(), notes = base + "/notes.txt";
    const std::string shared = base + "/shared", planted = shared + "/pic.png";
    const std::string path = row.through_own_link ? base + "/mine.png" : planted;
    test::WriteFile(notes, "notes");
    ASSERT_TRUE(mkdir(shared.c_str(), 0700) == 0 && chmod(shared.c_str(), row.folder_mode) == 0 &&
                chown(shared.c_str(), row.folder_owner, 0) == 0 &&
                symlink(notes.c_str(), planted.c_str()) == 0 &&
                lchown(planted.c_str(), row.link_owner, 0) == 0 &&
                (path == planted || symlink(planted.c_str(), path.c_str()) == 0));

    EXPECT_EQ(WriteWholeFile(path, "PNG"), row.followed ? 0 : EACCES) << row.what;
    EXPECT_EQ(test::ReadFile(notes), row.followed ? "PNG" : "notes") << row.what;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(planted)).isSymLink()) << row.what;
  }
}

TEST(WholeFile, AFileTheUserMayNotWriteToIsKept) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  QTemporaryDir dir;
  // Shared as /tmp is: only a file's owner may rename over it.
  ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 01777), 0);
  // Read-only to its owner, root's own, root's that anyone may write, and the
  // only one the other user may replace.
  const std::string paths[] = {
      dir.path().toStdString() + "/read-only.png", dir.path().toStdString() + "/root's.png",
      dir.path().toStdString() + "/anyone's.png", dir.path().toStdString() + "/own.png"};
  const std::pair<mode_t, uid_t> modes[] = {
      {0444, kOtherUser}, {0644, 0}, {0666, 0}, {0644, kOtherUser}};
  for (int i = 0; i < 4; ++i) {
    test::WriteFile(paths[i], "old");
    ASSERT_TRUE(chmod(paths[i].c_str(), modes[i].first) == 0 &&
                chown(paths[i].c_str(), modes[i].second, 0) == 0);
  }
  const pid_t child = fork();
  if (child == 0) {
    // As the other user; one bit for each file whose outcome is wrong.
    if (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0) _exit(8);
    _exit((WriteWholeFile(paths[0], "new") != EACCES) |
          (WriteWholeFile(paths[1], "new") != EACCES) << 1 |
          (WriteWholeFile(paths[2], "new") != EPERM) << 2 |
          (WriteWholeFile(paths[3], "new") != 0) << 3);
  }
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "wrong outcomes: " << status;
  EXPECT_EQ(test::ReadFile(paths[0]) + test::ReadFile(paths[1]) + test::ReadFile(paths[2]) +
                test::ReadFile(paths[3]),
            "oldoldoldnew");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 4);
  // Root keeps root's rights.
  EXPECT_EQ(WriteWholeFile(paths[0], "root's"), 0);
  EXPECT_EQ(test::ReadFile(paths[0]), "root's");
}

}  // namespace
}  // namespace kalo
