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
#include <utility>
#include <vector>

#include "common/basic_types.h"
#include "platform/bitmap_file.h"
#include "platform/file_error.h"
#include "platform/whole_file.h"
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
  std::string error;
  {
    const test::FullDisk disk;
    error = SaveBitmapFile(pixels, 2, 2, path);
  }
  EXPECT_EQ(error, FileErrorMessage(EFBIG));
  EXPECT_EQ(test::ReadFile(path), "the bitmap saved before");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
            (QStringList{"notafolder", "one.bmp"}));

  // A device or a pipe is named, not passed off as an "Invalid argument".
  const std::string fifo = dir.filePath("pipe.bmp").toStdString();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  for (const std::string& name : {std::string("/dev/null"), std::string("/dev/full"), fifo})
    EXPECT_EQ(SaveBitmapFile(pixels, 2, 2, name), "Error 22\n" + name + " is not a regular file");
}

// The whole-file writer, which every file the saver writes goes through.

TEST(WholeFile, AFileOfAnyOtherLengthThanPromisedIsNeverPutInPlace) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string path = dir.filePath("old.bmp").toStdString();
  const std::string big(70000, 'x');
  struct Row {
    std::uint64_t promised;
    std::vector<std::string> pieces;
    int producer_error, want;
  };
  for (const Row& row : std::vector<Row>{{10, {"12345"}, 0, EIO},
                                         {4, {"12345"}, 0, EIO},
                                         {5, {"12345"}, ENOSPC, ENOSPC},
                                         {5 + big.size(), {"12345", big}, 0, 0}}) {
    test::WriteFile(path, "old");
    const int error = WriteWholeFile(path, row.promised, [&](const FilePieceSink& sink) {
      for (const std::string& piece : row.pieces)
        if (const int e = sink(piece)) return e;
      return row.producer_error;
    });
    EXPECT_EQ(error, row.want) << row.promised;
    EXPECT_EQ(test::ReadFile(path), row.want ? "old" : "12345" + big) << row.promised;
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
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString(), notes = base + "/notes.txt";
    const std::string shared = base + "/shared", planted = shared + "/pic.png";
    test::WriteFile(notes, "notes");
    ASSERT_EQ(mkdir(shared.c_str(), 0700), 0);
    ASSERT_EQ(chmod(shared.c_str(), row.folder_mode), 0);
    ASSERT_EQ(chown(shared.c_str(), row.folder_owner, 0), 0);
    ASSERT_EQ(symlink(notes.c_str(), planted.c_str()), 0);
    ASSERT_EQ(lchown(planted.c_str(), row.link_owner, 0), 0);
    std::string path = planted;
    if (row.through_own_link) {
      path = base + "/mine.png";
      ASSERT_EQ(symlink(planted.c_str(), path.c_str()), 0);
    }

    EXPECT_EQ(WriteWholeFile(path, "PNG"), row.followed ? 0 : EACCES) << row.what;
    EXPECT_EQ(test::ReadFile(notes), row.followed ? "PNG" : "notes") << row.what;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(planted)).isSymLink()) << row.what;
    EXPECT_EQ(QDir(QString::fromStdString(base)).entryList(QDir::Files | QDir::Hidden).size(),
              row.through_own_link ? 2 : 1)
        << row.what;
  }
}

TEST(WholeFile, AFileTheUserMayNotWriteToIsKept) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to act as another user";
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  ASSERT_EQ(chmod(dir.path().toLocal8Bit().constData(), 0777), 0);
  struct Row {
    const char* name;
    mode_t mode;
    uid_t owner;
    int want;
  };
  const Row rows[] = {{"read-only.png", 0444, kOtherUser, EACCES},
                      {"root's.png", 0644, 0, EACCES},
                      {"own.png", 0644, kOtherUser, 0}};
  for (const Row& row : rows) {
    const std::string path = dir.filePath(row.name).toStdString();
    test::WriteFile(path, "old");
    ASSERT_EQ(chmod(path.c_str(), row.mode), 0);
    ASSERT_EQ(chown(path.c_str(), row.owner, row.owner), 0);
  }

  int results[3] = {-1, -1, -1};
  int channel[2];
  ASSERT_EQ(pipe(channel), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (setgroups(0, nullptr) != 0 || setgid(kOtherUser) != 0 || setuid(kOtherUser) != 0) _exit(2);
    for (int i = 0; i < 3; ++i) results[i] = WriteWholeFile(dir.filePath(rows[i].name).toStdString(), "new");
    _exit(write(channel[1], results, sizeof results) == sizeof results ? 0 : 1);
  }
  close(channel[1]);
  ASSERT_EQ(read(channel[0], results, sizeof results), static_cast<ssize_t>(sizeof results));
  close(channel[0]);
  int status = 0;
  waitpid(child, &status, 0);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(results[i], rows[i].want) << rows[i].name;
    EXPECT_EQ(test::ReadFile(dir.filePath(rows[i].name).toStdString()),
              rows[i].want ? "old" : "new")
        << rows[i].name;
  }
  // Root keeps root's rights.
  const std::string kept = dir.filePath("read-only.png").toStdString();
  EXPECT_EQ(WriteWholeFile(kept, "root's"), 0);
  EXPECT_EQ(test::ReadFile(kept), "root's");
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

}  // namespace
}  // namespace kalo
