#include "pictures.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QPixmap>

QIcon PictureIcon(const QString& name) {
  // ":/pictures/<name>-<pixels>.png", every size of it.
  QIcon icon;
  const QDir pictures(QStringLiteral(":/pictures"));
  for (const QString& file :
       pictures.entryList({name + QStringLiteral("-*.png")}, QDir::Files)) {
    // Read as PNG and nothing else: a reader left to guess the format (as
    // QIcon::addFile and QImage's loading do) first loads every image format
    // plugin there is, the SVG one and its library among them.
    QImageReader reader(pictures.filePath(file), "png");
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    if (!image.isNull()) icon.addPixmap(QPixmap::fromImage(image));
  }
  return icon;
}
