#include "qt/about/about_box.h"

#include <QPushButton>

#include "qt/ui/app_title.h"

TAboutBox::TAboutBox(QWidget* parent) : TFormDialog(kAboutDesign, parent) {
  setWindowIcon(ProgramWindowIcon());
  connect(Find<QPushButton>("btnOK"), &QPushButton::clicked, this, [this] { btnOKClick(); });
}

void TAboutBox::btnOKClick() { close(); }
