// Shows the options dialog on the current display, for looking at it.
// With a file name, saves the dialog's client area as PNG once it is on the
// screen and quits; without one, runs until the dialog is closed.
#include <QTimer>
#include <cstdio>
#include <exception>

#include "qt/options/options_dialog.h"
#include "qt/ui/application.h"
#include "qt/ui/message_boxes.h"
#include "strip/options_form.h"
#include "strip/strip_environment.h"

int main(int argc, char** argv) {
  Application app(argc, argv);
  TfrmOptions form(ProgramEnvironment().settings);
  try {
    form.FormCreate();
  } catch (const std::exception& error) {
    // What could not be read keeps its initial value.
    std::fprintf(stderr, "%s\n", error.what());
  }
  OptionsDialog dialog(form);
  if (argc > 1) {
    const QString file = QString::fromLocal8Bit(argv[1]);
    QTimer::singleShot(700, &dialog, [&dialog, file] {
      dialog.grab().save(file);
      dialog.reject();
    });
  }
  Boxes().RunModal(dialog);
  return 0;
}
