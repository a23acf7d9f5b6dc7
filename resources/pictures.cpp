#include "pictures.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace {

// Every pixel size a picture is drawn at (resources/CMakeLists.txt): each of
// the sizes the windows use, and twice each.
constexpr int kPictureSizes[] = {16, 24, 32, 48, 64, 96, 128};

// The bitmap ":/pictures/<name>-<pixels>.png"; null when there is none.
// Looked up by name: a folder listing with a name pattern would compile and
// run a regular expression (and map its library) at every start.
QImage ReadBitmap(const QString& name, int pixels) {
  const QString file = QStringLiteral(":/pictures/%1-%2.png").arg(name).arg(pixels);
  if (!QFile::exists(file)) return QImage();
  // Read as PNG and nothing else: a reader left to guess the format (as
  // QIcon::addFile and QImage's loading do) first loads every image format
  // plugin there is, the SVG one and its library among them.
  QImageReader reader(file, "png");
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

QIcon ReadPictureIcon(const QString& name) {
  QIcon icon;
  for (int size : kPictureSizes) {
    const QImage image = ReadBitmap(name, size);
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

}  // namespace

QPixmap PicturePixmap(const QString& name, int size) {
  // As the icon gives it at a ratio of 1: its bitmap of that size.
  if (qApp && qApp->devicePixelRatio() == 1.0) {
    const QImage image = ReadBitmap(name, size);
    if (!image.isNull()) return QPixmap::fromImage(image);
  }
  return PictureIcon(name).pixmap(size, size);
}

QIcon PictureIcon(const QString& name) {
  if (name.isEmpty()) return QIcon();
  // Read once, when first asked for, and shared; kept to the end (icons are
  // not freed after the application object is gone).
  static auto* const read = new QHash<QString, QIcon>;
  auto found = read->constFind(name);
  if (found == read->cend()) found = read->insert(name, ReadPictureIcon(name));
  return *found;
}
