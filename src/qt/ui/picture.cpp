#include "qt/ui/picture.h"

#include <QAccessible>
#include <QPainter>

#include "pictures.h"

QIcon TPictureImage::Icon() const { return PictureIcon(name); }

TPictureImage ProgramPicture(const QString& name, QSize size) { return TPictureImage{size, name}; }

TPicture::TPicture(QWidget* parent) : QWidget(parent) {}

void TPicture::SetPicture(const TPictureImage& picture) {
  const bool renamed = picture.name != picture_.name;
  picture_ = picture;
  // Screen readers name a picture for what it shows.
  if (renamed && QAccessible::isActive()) {
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
  }
  if (auto_size_) resize(picture_.size);
  update();
}

void TPicture::SetCenter(bool center) {
  center_ = center;
  update();
}

void TPicture::SetAutoSize(bool auto_size) {
  auto_size_ = auto_size;
  if (auto_size_ && picture_.size.isValid()) resize(picture_.size);
}

void TPicture::paintEvent(QPaintEvent*) {
  const QIcon icon = picture_.Icon();
  if (icon.isNull()) return;
  QRect target(QPoint(0, 0), picture_.size);
  if (center_) target.moveCenter(rect().center());
  QPainter painter(this);
  // The icon picks its bitmap for the painter's device pixel ratio.
  icon.paint(&painter, target);
}
