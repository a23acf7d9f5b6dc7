#include "qt/options/options_dialog.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>

#include "qt/options/color_grid.h"
#include "qt/ui/message_boxes.h"
#include "strip/options_form.h"

OptionsDialog::OptionsDialog(TfrmOptions& form, QWidget* parent)
    : FormDialog(kOptionsDesign, parent,
                 [&form](const FormControl& control, QWidget* at) -> QWidget* {
                   if (control.kind != ControlKind::kColorGrid) return nullptr;
                   auto* grid = new ColorGridWidget(form.cGrid, at);
                   grid->SetGridOrdering(GridOrder::go8x2);
                   return grid;
                 }),
      tbScroll(Find<QSlider>("tbScroll")),
      chkBold(Find<QCheckBox>("chkBold")),
      cGrid(Find<ColorGridWidget>("cGrid")),
      chkShowTask(Find<QCheckBox>("chkShowTask")),
      chkOnStart(Find<QCheckBox>("chkOnStart")),
      chkAltSite(Find<QCheckBox>("chkAltSite")),
      btnOk(Find<QPushButton>("btnOk")),
      btnCancel(Find<QPushButton>("btnCancel")),
      form_(form) {
  tbScroll->setRange(kScrollTrackBar.min, kScrollTrackBar.max);
  tbScroll->setSingleStep(kScrollTrackBar.line_step);
  tbScroll->setPageStep(kScrollTrackBar.page_step);
  tbScroll->setValue(form_.tbScroll);
  chkBold->setChecked(form_.chkBold);
  chkShowTask->setChecked(form_.chkShowTask);
  chkOnStart->setChecked(form_.chkOnStart);
  chkAltSite->setChecked(form_.chkAltSite);
  connect(tbScroll, &QSlider::valueChanged, this,
          [this](int position) { form_.SetScrollPosition(position); });
  connect(chkBold, &QCheckBox::toggled, this, [this](bool on) { form_.chkBold = on; });
  connect(chkShowTask, &QCheckBox::toggled, this, [this](bool on) { form_.chkShowTask = on; });
  connect(chkOnStart, &QCheckBox::toggled, this, [this](bool on) { form_.chkOnStart = on; });
  connect(chkAltSite, &QCheckBox::toggled, this, [this](bool on) { form_.chkAltSite = on; });
  connect(btnOk, &QPushButton::clicked, this, [this] {
    if (form_.OkClick()) accept();
  });
}

void RunOptionsDialog(QWidget* owner, TfrmOptions& form) {
  OptionsDialog frmOptions(form, owner);
  Boxes().RunModal(frmOptions);
}
