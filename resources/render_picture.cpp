// Build tool: draws an SVG picture into PNG files of the given pixel sizes,
// with Qt's own SVG renderer exactly as Qt's SVG icon engine draws it at run
// time (the picture scaled into the square, keeping its aspect ratio, on a
// transparent premultiplied image), so that the program can show the bitmaps
// without loading the SVG plugin and still shows the same pixels.
//
// Usage: mw_render_picture <picture.svg> <output prefix> <size>...
// writes <output prefix><size>.png for each size.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: %s <picture.svg> <output prefix> <size>...\n", argv[0]);
    return 2;
  }
  QGuiApplication app(argc, argv);  // what Qt's drawing may need; no window
  QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
  if (!renderer.isValid()) {
    std::fprintf(stderr, "%s: not a picture\n", argv[1]);
    return 1;
  }
  for (int i = 3; i < argc; ++i) {
    const int pixels = std::atoi(argv[i]);
    QSize size = renderer.defaultSize();
    size.scale(pixels, pixels, Qt::KeepAspectRatio);
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(0);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    const QString file = QString::fromLocal8Bit(argv[2]) + QString::number(pixels) + ".png";
    if (!image.save(file, "PNG")) {
      std::fprintf(stderr, "%s: cannot be written\n", qPrintable(file));
      return 1;
    }
  }
  return 0;
}
