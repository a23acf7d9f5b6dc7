#include "qt/about/about_box.h"

#include <QPushButton>

#include "qt/ui/app_title.h"
#include "qt/ui/message_boxes.h"

AboutBox::AboutBox(QWidget* parent) : FormDialog(kAboutDesign, parent) {
  setWindowIcon(ProgramWindowIcon());
  connect(Find<QPushButton>("btnOK"), &QPushButton::clicked, this, [this] { btnOKClick(); });
}

void AboutBox::btnOKClick() { close(); }

void RunAboutBox(QWidget* owner) {
  AboutBox frmAbout(owner);
  Boxes().RunModal(frmAbout);
}
