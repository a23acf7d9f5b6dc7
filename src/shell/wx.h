// The main window, unit wx. Skeleton: the strip comes with the main-window work.
#pragma once

#include <QWidget>
#include <string>

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmMain(QWidget* parent = nullptr);
  void FormCreate();

  std::string ForecastText;
  std::string PrimaryConditions;
  std::string SecondaryConditions;
  std::string LastUpdateText;
  bool ScrollInTaskbar = false;
  bool UseAlternateSource = false;
};
