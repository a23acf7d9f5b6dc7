#include "qt/ui/picture.h"

#include <QPainter>

#include "pictures.h"

QIcon PictureImage::Icon() const { return PictureIcon(name); }

PictureImage ProgramPicture(const QString& name, QSize size) { return PictureImage{size, name}; }

Picture::Picture(QWidget* parent) : QWidget(parent) {}

void Picture::SetPicture(const PictureImage& picture) {
  picture_ = picture;
  if (auto_size_) resize(picture_.size);
  update();
}

void Picture::SetCenter(bool center) {
  center_ = center;
  update();
}

void Picture::SetAutoSize(bool auto_size) {
  auto_size_ = auto_size;
  if (auto_size_ && picture_.size.isValid()) resize(picture_.size);
}

void Picture::paintEvent(QPaintEvent*) {
  const QIcon icon = picture_.Icon();
  if (icon.isNull()) return;
  QRect target(QPoint(0, 0), picture_.size);
  if (center_) target.moveCenter(rect().center());
  QPainter painter(this);
  // The icon picks its bitmap for the painter's device pixel ratio.
  icon.paint(&painter, target);
}
