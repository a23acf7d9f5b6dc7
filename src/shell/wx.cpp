#include "shell/wx.h"

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent, Qt::Tool) {}

void TfrmMain::FormCreate() { show(); }
