#include "settings/wxopts.h"

TfrmOptions::TfrmOptions(QWidget* parent) : QDialog(parent) {}
