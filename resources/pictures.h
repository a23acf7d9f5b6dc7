// The program's pictures, drawn as SVG and compiled in, so they stay crisp at
// any screen scale.
#pragma once

#include <QIcon>
#include <QString>

// ":/pictures/<name>.svg" as an icon: sun, cloud, rain, snow, initial,
// marrowby-weather.
QIcon PictureIcon(const QString& name);
