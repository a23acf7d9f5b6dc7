#include "about/wxabout.h"

TfrmAbout::TfrmAbout(QWidget* parent) : QDialog(parent) {}
