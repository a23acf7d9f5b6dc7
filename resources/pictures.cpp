#include "pictures.h"

QIcon PictureIcon(const QString& name) {
  return QIcon(QStringLiteral(":/pictures/%1.svg").arg(name));
}
