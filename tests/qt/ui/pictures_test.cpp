// The program's pictures, compiled in as bitmaps: the same pixels that Qt's
// SVG icon engine draws from their sources, at every size the windows use and
// at device pixel ratios 1 and 2, read without loading an image format
// plugin.
#include <gtest/gtest.h>
#include <link.h>

#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "pictures.h"

namespace {

// The shared libraries loaded in this process whose path contains `part`.
std::set<std::string> LoadedLibraries(const char* part) {
  std::pair<const char*, std::set<std::string>> found{part, {}};
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void* data) {
        auto* found = static_cast<std::pair<const char*, std::set<std::string>>*>(data);
        const std::string name = info->dlpi_name ? info->dlpi_name : "";
        if (name.find(found->first) != std::string::npos) found->second.insert(name);
        return 0;
      },
      &found);
  return found.second;
}

const std::vector<std::pair<const char*, std::vector<int>>> kPictures = {
    {"sun", {32}},      {"cloud", {32}},   {"rain", {32}},
    {"snow", {32}},     {"initial", {24}}, {"marrowby-weather", {16, 24, 32, 48, 64}},
};

QImage Pixels(const QPixmap& pixmap) {
  return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

TEST(Pictures, BitmapsHoldTheVectorPicturesPixelsAtRatiosOneAndTwo) {
  for (const auto& [name, sizes] : kPictures) {
    const QIcon bitmaps = PictureIcon(QString::fromLatin1(name));
    const QIcon vector(QStringLiteral(MW_PICTURE_SOURCES "/%1.svg").arg(QLatin1String(name)));
    ASSERT_FALSE(bitmaps.isNull()) << name;
    for (int size : sizes) {
      for (qreal ratio : {1.0, 2.0}) {
        SCOPED_TRACE(std::string(name) + " " + std::to_string(size) + " x" +
                     std::to_string(ratio));
        const QPixmap shown = bitmaps.pixmap(QSize(size, size), ratio);
        // Drawn for the ratio, not scaled up from a smaller bitmap.
        EXPECT_EQ(shown.size(), QSize(size, size) * ratio);
        EXPECT_EQ(shown.devicePixelRatio(), ratio);
        EXPECT_EQ(Pixels(shown), Pixels(vector.pixmap(QSize(size, size), ratio)));
      }
    }
  }
}

// Read alone (as the window icon's bitmaps are), a picture at a size is what
// its icon gives at that size, whether or not it has a bitmap of that size.
TEST(Pictures, APictureReadAtOneSizeIsWhatItsIconGives) {
  for (const auto& [name, sizes] : kPictures) {
    std::vector<int> all = sizes;
    all.push_back(20);  // no bitmap of this size: scaled from the nearest
    for (int size : all) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(size));
      const QPixmap alone = PicturePixmap(QString::fromLatin1(name), size);
      const QPixmap of_icon = PictureIcon(QString::fromLatin1(name)).pixmap(size, size);
      EXPECT_EQ(alone.size(), of_icon.size());
      EXPECT_EQ(alone.devicePixelRatio(), of_icon.devicePixelRatio());
      EXPECT_EQ(Pixels(alone), Pixels(of_icon));
    }
  }
}

TEST(Pictures, ReadingThemLoadsNoImageFormatPlugin) {
  // The SVG plugin and its library cost a start-up a few milliseconds; a
  // reader that guesses the format loads every image format plugin.
  const std::set<std::string> before = LoadedLibraries("/imageformats/");
  for (const auto& [name, sizes] : kPictures) {
    const QIcon icon = PictureIcon(QString::fromLatin1(name));
    EXPECT_FALSE(icon.pixmap(sizes.front()).isNull()) << name;
  }
  EXPECT_EQ(LoadedLibraries("/imageformats/"), before);
}

}  // namespace
