// The program's pictures, compiled in as bitmaps drawn from their SVG sources
// (resources/pictures) at the sizes the windows use them, at device pixel
// ratios 1 and 2, so they stay crisp on high-density screens.
#pragma once

#include <QIcon>
#include <QPixmap>
#include <QString>

// The picture of that name as an icon holding every size there is of it: sun,
// cloud, rain, snow (32 pixels), initial (24), marrowby-weather (16, 24, 32,
// 48, 64); each also at twice the size. Other sizes are scaled from the
// nearest. Read when first asked for, then shared by every caller.
QIcon PictureIcon(const QString& name);

// The picture of that name at `size` as PictureIcon(name).pixmap(size) gives
// it for the application's device pixel ratio; at a ratio of 1, its bitmap of
// that size read alone, without reading (and keeping) the others.
QPixmap PicturePixmap(const QString& name, int size);
