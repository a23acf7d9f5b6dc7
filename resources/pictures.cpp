#include "pictures.h"

#include <QFile>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

namespace {

// Every pixel size a picture is drawn at (resources/CMakeLists.txt): each of
// the sizes the windows use, and twice each.
constexpr int kPictureSizes[] = {16, 24, 32, 48, 64, 96, 128};

QIcon ReadPictureIcon(const QString& name) {
  // ":/pictures/<name>-<pixels>.png", every size of it. Looked up by name: a
  // folder listing with a name pattern would compile and run a regular
  // expression (and map its library) at every start.
  QIcon icon;
  for (int size : kPictureSizes) {
    const QString file = QStringLiteral(":/pictures/%1-%2.png").arg(name).arg(size);
    if (!QFile::exists(file)) continue;
    // Read as PNG and nothing else: a reader left to guess the format (as
    // QIcon::addFile and QImage's loading do) first loads every image format
    // plugin there is, the SVG one and its library among them.
    QImageReader reader(file, "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}

}  // namespace

QIcon PictureIcon(const QString& name) {
  if (name.isEmpty()) return QIcon();
  // Read once, when first asked for, and shared; kept to the end (icons are
  // not freed after the application object is gone).
  static auto* const read = new QHash<QString, QIcon>;
  auto found = read->constFind(name);
  if (found == read->cend()) found = read->insert(name, ReadPictureIcon(name));
  return *found;
}
