#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "common/basic_types.h"
#include "platform/bitmap_file.h"
#include "platform/file_error.h"
#include "support/file_text.h"
#include "support/full_disk.h"

namespace kalo {
namespace {

TEST(BitmapFile, WritesA24BitBitmapWithTheExactPixels) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  // An odd width, so that every row needs padding to four bytes.
  const int w = 5, h = 3;
  std::vector<uint32_t> pixels(w * h);
  for (int i = 0; i < w * h; ++i)
    pixels[i] = (static_cast<uint32_t>(i * 17) << 16) | ((255u - i * 9) << 8) | (i * 31u & 255);
  pixels[7] = 0x00FFFFFF;
  pixels[8] = 0;
  const QString path = dir.filePath("one.bmp");
  ASSERT_EQ(SaveBitmapFile(pixels.data(), w, h, path.toStdString()), "");

  QFile raw(path);
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  const QByteArray bytes = raw.readAll();
  ASSERT_GE(bytes.size(), 30);
  EXPECT_EQ(bytes.left(2), QByteArray("BM"));
  EXPECT_EQ(static_cast<unsigned char>(bytes[28]), 24);  // bits per pixel
  EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0);

  QImage image;
  ASSERT_TRUE(image.load(path, "BMP"));
  ASSERT_EQ(image.width(), w);
  ASSERT_EQ(image.height(), h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(image.pixel(x, y) & 0xFFFFFFu, pixels[y * w + x]) << x << "," << y;
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
}

}  // namespace
}  // namespace kalo
