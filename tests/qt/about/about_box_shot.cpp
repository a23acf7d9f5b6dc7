// Shows the about box on the current display, for looking at it.
// With a file name, saves the box's client area as PNG once it is on the
// screen and quits; without one, runs until the box is closed.
#include <QTimer>

#include "qt/about/about_box.h"
#include "qt/ui/application.h"
#include "qt/ui/message_boxes.h"

int main(int argc, char** argv) {
  Application app(argc, argv);
  AboutBox box;
  if (argc > 1) {
    const QString file = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(700, &box, [&box, file] {
      box.grab().save(file);
      box.btnOKClick();
    });
  }
  Boxes().RunModal(box);
  return 0;
}
