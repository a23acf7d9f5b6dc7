#include "qt/ui/form_dialog.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <algorithm>
#include <vector>

#include "qt/ui/app_title.h"
#include "qt/ui/display_text.h"
#include "qt/ui/edge.h"
#include "qt/ui/fonts.h"
#include "qt/ui/message_boxes.h"
#include "qt/ui/palette_color.h"

void BevelPanel::paintEvent(QPaintEvent*) {
  // A sunken outer edge around a raised inner one: a raised plate in a
  // groove.
  QPainter painter(this);
  const QPalette& pal = palette();
  DrawEdge(painter, rect(), pal.color(QPalette::Dark), pal.color(QPalette::Light));
  DrawEdge(painter, rect().adjusted(1, 1, -1, -1), pal.color(QPalette::Light),
           pal.color(QPalette::Dark));
}

void Separator::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  DrawEdge(painter, rect(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
}

namespace {

Qt::WindowFlags FrameFlags(FormFrame frame) {
  switch (frame) {
    case FormFrame::kToolWindow:
      return Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    case FormFrame::kDialog:
      break;
  }
  return Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
         Qt::WindowCloseButtonHint;
}

QString Name(std::string_view name) {
  return QString::fromLatin1(name.data(), static_cast<qsizetype>(name.size()));
}

}  // namespace

FormDialog::FormDialog(const FormDesign& design, QWidget* parent, const ControlMaker& make)
    : QDialog(parent) {
  setObjectName(Name(design.name));
  SetPlainWindowTitle(this, ToDisplay(design.caption));
  setWindowFlags(FrameFlags(design.frame));
  setFont(ScreenFont(design.font));
  setFixedSize(design.client_width, design.client_height);

  std::vector<QWidget*> tab_stops;
  QWidget* previous = nullptr;
  const FormControl* previous_control = nullptr;
  for (const FormControl& control : design.controls) {
    QWidget* parent_widget = control.parent.empty() ? this : Find<QWidget>(control.parent);
    if (!parent_widget) parent_widget = this;
    QWidget* widget = MakeControl(control, parent_widget, make);
    widget->setObjectName(Name(control.name));
    if (!control.tool_tip.empty()) widget->setToolTip(ToDisplay(control.tool_tip));
    if (!control.accessible_name.empty()) {
      widget->setAccessibleName(ToDisplay(control.accessible_name));
    }
    if (!control.accessible_description.empty()) {
      widget->setAccessibleDescription(ToDisplay(control.accessible_description));
    }
    Place(*widget, control, previous);
    if (auto* line = qobject_cast<QLineEdit*>(widget)) line->setCursorPosition(0);
    if (control.Has(kTabStop)) {
      if (!(widget->focusPolicy() & Qt::TabFocus)) widget->setFocusPolicy(Qt::StrongFocus);
      tab_stops.push_back(widget);
    } else if (widget->focusPolicy() != Qt::NoFocus) {
      widget->setFocusPolicy(Qt::ClickFocus);
    }
    // Screen readers look for a control's name in the label before it.
    if (previous_control && previous_control->kind == ControlKind::kLabel &&
        !control.accessible_name.empty() && control.accessible_name == previous_control->caption) {
      if (auto* label = qobject_cast<QLabel*>(previous)) label->setBuddy(widget);
    }
    previous = widget;
    previous_control = &control;
  }
  for (std::size_t i = 1; i < tab_stops.size(); ++i) setTabOrder(tab_stops[i - 1], tab_stops[i]);
  if (!tab_stops.empty()) tab_stops.front()->setFocus();
}

QWidget* FormDialog::MakeControl(const FormControl& control, QWidget* parent,
                                 const ControlMaker& make) {
  if (make) {
    if (QWidget* made = make(control, parent)) return made;
  }
  const QString caption = ToDisplay(control.caption);
  switch (control.kind) {
    case ControlKind::kPanel:
      return new BevelPanel(parent);
    case ControlKind::kSeparator:
      return new Separator(parent);
    case ControlKind::kLabel: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(Qt::AlignTop |
                          (control.Has(kCentred) ? Qt::AlignHCenter : Qt::AlignLeft));
      if (!control.font) {
        label->setText(caption);
        return label;
      }
      const ScreenText shown = InScreenFont(*control.font, caption);
      label->setFont(shown.font);
      label->setText(shown.text);
      // Drawn by a symbol font's own codes: read as the characters they show.
      if (shown.text != caption) label->setAccessibleName(caption);
      QPalette pal = label->palette();
      pal.setColor(QPalette::WindowText, ToQColor(control.font->color));
      label->setPalette(pal);
      return label;
    }
    case ControlKind::kTrackBar: {
      auto* bar = new QSlider(Qt::Horizontal, parent);
      bar->setTickPosition(QSlider::NoTicks);
      return bar;
    }
    case ControlKind::kCheckBox:
      return new QCheckBox(caption, parent);
    case ControlKind::kButton: {
      auto* button = new QPushButton(caption, parent);
      if (control.font) button->setFont(ScreenFont(*control.font));
      button->setDefault(control.Has(kDefaultButton));
      if (control.Has(kCancelButton)) {
        escape_button_ = button;
        connect(button, &QPushButton::clicked, this, &QDialog::reject);
      }
      return button;
    }
    case ControlKind::kPicture: {
      auto* picture = new QLabel(parent);
      picture->setPixmap(ProgramWindowIcon().pixmap(
          QSize(control.place.width, control.place.height), devicePixelRatioF()));
      return picture;
    }
    case ControlKind::kTextLine: {
      auto* line = new QLineEdit(caption, parent);
      line->setReadOnly(true);
      line->setFrame(false);
      QPalette pal = line->palette();
      pal.setColor(QPalette::Base, pal.color(QPalette::Window));
      line->setPalette(pal);
      return line;
    }
    case ControlKind::kColorGrid:
      break;
  }
  // A kind only the caller can make, and it did not.
  return new QWidget(parent);
}

void FormDialog::Place(QWidget& widget, const FormControl& control, const QWidget* previous) {
  const FormPlace& at = control.place;
  QSize size(at.width, at.height);
  if (at.width <= 0 || at.height <= 0) {
    widget.adjustSize();
    if (at.width <= 0) size.setWidth(widget.width());
    if (at.height <= 0) size.setHeight(widget.height());
  }
  if (auto* label = qobject_cast<QLabel*>(&widget); label && label->pixmap().isNull()) {
    size.setWidth(
        std::max(size.width(), QFontMetrics(label->font()).horizontalAdvance(label->text())));
  }
  QPoint place(at.left, at.top);
  if (control.Has(kAfterPrevious) && previous) {
    place.setX(previous->x() + previous->width() +
               QFontMetrics(font()).horizontalAdvance(QLatin1Char(' ')));
  }
  widget.setGeometry(QRect(place, size));
}

void FormDialog::setVisible(bool visible) {
  // Centred at every opening, not only the first: the user may have moved it.
  if (visible && !isVisible()) CentreOnScreen(*this);
  QDialog::setVisible(visible);
}

void FormDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
    if (escape_button_) escape_button_->click();
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
