#include "options/wxopts.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include "options/color_grid.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/edge.h"
#include "ui/fonts.h"
#include "ui/message_boxes.h"

namespace {

// The panel that groups the options: a sunken outer edge around a raised
// inner one, so it stands out of the dialog as a raised plate in a groove.
class TBevelPanel : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QPalette& pal = palette();
    DrawEdge(painter, rect(), pal.color(QPalette::Dark), pal.color(QPalette::Light));
    DrawEdge(painter, rect().adjusted(1, 1, -1, -1), pal.color(QPalette::Light),
             pal.color(QPalette::Dark));
  }
};

// A label as wide as its text.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top) {
  auto* label = MakePlainLabel(parent, name, text);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption,
                        const QString& tip, QRect geometry) {
  auto* box = MakeNamed<QCheckBox>(parent, name, caption);
  box->setToolTip(tip);
  box->setGeometry(geometry);
  return box;
}

}  // namespace

TfrmOptions::TfrmOptions(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmOptions"));
  setWindowTitle(QStringLiteral("Options"));
  // A fixed frame with the system menu and the close box only.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setFont(ArialFont(11));
  setFixedSize(237, 231);

  Panel1 = new TBevelPanel(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(4, 4, 227, 182);

  Label1 = MakeLabel(Panel1, "Label1", QStringLiteral("Scroll Faster"), 8, 13);
  tbScroll = new QSlider(Qt::Horizontal, Panel1);
  tbScroll->setObjectName(QStringLiteral("tbScroll"));
  tbScroll->setGeometry(70, 15, 96, 17);
  // The position is the ticker's step interval in milliseconds, so the left
  // end, the shortest interval, is the fastest ticker.
  tbScroll->setRange(1, 300);
  tbScroll->setTickPosition(QSlider::NoTicks);
  tbScroll->setSingleStep(1);
  tbScroll->setPageStep(2);
  tbScroll->setValue(300);
  tbScroll->setFocusPolicy(Qt::StrongFocus);
  tbScroll->setToolTip(QStringLiteral("Controls speed of scrolling text"));
  Label2 = MakeLabel(Panel1, "Label2", QStringLiteral("Slower"), 170, 13);

  Label3 = MakeLabel(Panel1, "Label3", QStringLiteral("Color Scheme:"), 8, 47);
  chkBold = MakeCheckBox(Panel1, "chkBold", QStringLiteral("&Bold Font"),
                         QStringLiteral("Toggles bold or normal font in forecast window"),
                         QRect(120, 47, 76, 17));

  cGrid = new TColorGrid(Panel1);
  cGrid->setObjectName(QStringLiteral("cGrid"));
  cGrid->SetGridOrdering(TGridOrdering::go8x2);
  cGrid->setGeometry(8, 65, 176, 40);
  cGrid->SetForegroundIndex(11);
  cGrid->SetBackgroundIndex(0);
  cGrid->setToolTip(
      QStringLiteral("Left Click to select Foreground, Right Click to select background\n"
                     "Keyboard: arrow keys move, F or Space selects Foreground, B background"));
  // Screen readers name the grid and the track bar by their labels.
  Label3->setBuddy(cGrid);
  tbScroll->setAccessibleName(QStringLiteral("Scroll speed"));
  tbScroll->setAccessibleDescription(
      QStringLiteral("Controls speed of scrolling text: left faster, right slower"));

  chkShowTask = MakeCheckBox(Panel1, "chkShowTask", QStringLiteral("&Scroll Forecast in Task Bar"),
                             QStringLiteral("Toggle scrolling of forecast in taskbar button"),
                             QRect(9, 115, 202, 19));
  chkOnStart =
      MakeCheckBox(Panel1, "chkOnStart", QStringLiteral("&Update on Startup"),
                   QStringLiteral("Toggles auto-update upon startup"), QRect(9, 135, 202, 19));
  chkAltSite = MakeCheckBox(Panel1, "chkAltSite", QStringLiteral("Use &alternate data source"),
                            QStringLiteral("Check this if the current source is slow or times out"),
                            QRect(9, 155, 202, 19));

  btnOk = MakeButton(this, "btnOk", QStringLiteral("OK"), QRect(105, 198, 62, 25));
  btnOk->setDefault(true);
  btnCancel = MakeButton(this, "btnCancel", QStringLiteral("Cancel"), QRect(170, 198, 62, 25));

  setTabOrder(tbScroll, chkBold);
  setTabOrder(chkBold, cGrid);
  setTabOrder(cGrid, chkShowTask);
  setTabOrder(chkShowTask, chkOnStart);
  setTabOrder(chkOnStart, chkAltSite);
  setTabOrder(chkAltSite, btnOk);
  setTabOrder(btnOk, btnCancel);
  tbScroll->setFocus();

  // A store error while writing is shown here and keeps the dialog open.
  connect(btnOk, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnOkClick(); }); });
  connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });

  // What could not be read keeps its initial value; the error is shown here so
  // that the dialog can still be opened.
  RunGuarded([this] { FormCreate(); });
}

void TfrmOptions::FormCreate() {
  TRegIniFile store(kProductKeyPath);
  tbScroll->setValue(Read(store, kRate));  // kept within 1..300
  cGrid->SetForegroundIndex(Read(store, kForeground));
  cGrid->SetBackgroundIndex(Read(store, kBackground));
  chkBold->setChecked(Read(store, kBold));
  chkShowTask->setChecked(Read(store, kShowTask));
  chkOnStart->setChecked(Read(store, kOnStart));
  chkAltSite->setChecked(Read(store, kAltSource));
}

void TfrmOptions::btnOkClick() {
  {
    TRegIniFile store(kProductKeyPath);
    Write(store, kRate, tbScroll->value());
    Write(store, kForeground, cGrid->ForegroundIndex());
    Write(store, kBackground, cGrid->BackgroundIndex());
    Write(store, kBold, chkBold->isChecked());
    Write(store, kShowTask, chkShowTask->isChecked());
    Write(store, kOnStart, chkOnStart->isChecked());
    Write(store, kAltSource, chkAltSite->isChecked());
    store.UpdateFile();  // ends the group: a write held back that fails raises here
  }
  accept();
}

void TfrmOptions::btnCancelClick() { reject(); }

void TfrmOptions::setVisible(bool visible) {
  // Centred at every opening, not only the first: the user may have moved it.
  if (visible && !isVisible()) CentreOnScreen(*this);
  QDialog::setVisible(visible);
}
