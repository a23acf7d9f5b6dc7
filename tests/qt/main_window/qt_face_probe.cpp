// The Qt face under the conformance suite (tests/strip/face_conformance.h): a
// MainWindow read back as Qt holds it. The titles from the windows (their
// QWindow once made), the hint from the tool tip, the ticker's drawn prefix
// from the panel, names and the ticker's text as screen readers get them,
// the menu's actions, and the forms' widgets by name while their modal run is
// open. Screen texts go back to bytes through the face's own decoding.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTextDocument>
#include <QTimer>
#include <QWindow>

#include "face_conformance.h"
#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/options/color_grid.h"
#include "qt/ui/app_title.h"
#include "qt/ui/form_dialog.h"
#include "qt/ui/panel.h"
#include "qt/ui/picture.h"
#include "support/display_bytes.h"
#include "support/recording_boxes.h"
#include "support/test_application.h"

namespace {

std::string Bytes(const QString& shown) { return ScreenBytes(shown); }

PaletteColor FromQColor(const QColor& color) {
  return {static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
          static_cast<std::uint8_t>(color.blue())};
}

QString AccessibleName(QObject* object) {
  return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
}

// A top-level window's title as the window system has it.
QString TitleOf(QWidget& window) {
  // Before the window is made, its name for screen readers is the title Qt
  // gives the window (markers resolved).
  return window.windowHandle() ? window.windowHandle()->title() : AccessibleName(&window);
}

ControlKind KindOf(QWidget& widget) {
  if (dynamic_cast<BevelPanel*>(&widget)) return ControlKind::kPanel;
  if (dynamic_cast<Separator*>(&widget)) return ControlKind::kSeparator;
  if (dynamic_cast<ColorGridWidget*>(&widget)) return ControlKind::kColorGrid;
  if (dynamic_cast<QSlider*>(&widget)) return ControlKind::kTrackBar;
  if (dynamic_cast<QCheckBox*>(&widget)) return ControlKind::kCheckBox;
  if (dynamic_cast<QPushButton*>(&widget)) return ControlKind::kButton;
  if (dynamic_cast<QLineEdit*>(&widget)) return ControlKind::kTextLine;
  if (auto* label = dynamic_cast<QLabel*>(&widget); label && !label->pixmap().isNull()) {
    return ControlKind::kPicture;
  }
  return ControlKind::kLabel;
}

ShownControl ShownAs(const FormDialog& form, QWidget& widget) {
  ShownControl shown;
  shown.name = widget.objectName().toStdString();
  shown.kind = KindOf(widget);
  QString caption;
  if (auto* button = qobject_cast<QAbstractButton*>(&widget)) {
    caption = button->text();
  } else if (auto* line = qobject_cast<QLineEdit*>(&widget)) {
    caption = line->text();
  } else if (shown.kind == ControlKind::kLabel) {
    // The characters it shows, as screen readers read them (a symbol font
    // draws them by codes of its own).
    caption = AccessibleName(&widget);
  }
  shown.caption = Bytes(caption);
  const QRect place = widget.geometry();
  shown.place = {place.x(), place.y(), place.width(), place.height()};
  if (widget.parentWidget() != &form)
    shown.parent = widget.parentWidget()->objectName().toStdString();
  shown.tool_tip = Bytes(widget.toolTip());
  // A name beyond what the caption says.
  QString plain_caption = caption;
  plain_caption.remove(QLatin1Char('&'));
  if (widget.accessibleName() != plain_caption)
    shown.accessible_name = Bytes(widget.accessibleName());
  shown.tab_stop = (widget.focusPolicy() & Qt::TabFocus) != 0;
  if (auto* button = qobject_cast<QPushButton*>(&widget)) {
    shown.default_button = button->isDefault();
    shown.cancel_button = form.EscapeButton() == button;
  }
  return shown;
}

ShownForm ShownAs(FormDialog& form) {
  ShownForm shown;
  shown.caption = Bytes(TitleOf(form));
  shown.client_width = form.width();
  shown.client_height = form.height();
  // In the order of the focus chain, which Tab follows.
  for (QWidget* widget = form.nextInFocusChain(); widget != &form;
       widget = widget->nextInFocusChain()) {
    if (widget->objectName().isEmpty() || !form.isAncestorOf(widget)) continue;
    shown.controls.push_back(ShownAs(form, *widget));
  }
  return shown;
}

class QtProbe : public FaceProbe {
  using Inside = std::function<void(const ShownForm&, const PressButton&)>;

 public:
  QtProbe() {
    // The end of the loops is recorded; the test's own loops go on.
    TestApplication::Current().ForgetEndedLoops();
    TestApplication::Current().end_loops = false;
  }
  ~QtProbe() override {
    TestApplication::Current().end_loops = true;
    TestApplication::Current().ForgetEndedLoops();
  }

  StripPlatform& Platform() override { return window_; }
  TfrmMain& Form() override { return window_.frmMain; }

  bool RunUntil(const std::function<bool()>& done, int limit_ms) override {
    return ProcessEventsUntil(done, limit_ms);
  }

  std::string ShownTitle() override { return Bytes(TitleOf(window_)); }
  std::string ShownApplicationTitle() override {
    // On X11 the taskbar entry's window carries it.
    QWidget* entry = TaskbarProxyWindow();
    return Bytes(entry ? TitleOf(*entry) : ApplicationTitle());
  }
  std::string ShownHint() override {
    // The tool tip is plain text in a paragraph that keeps its blanks.
    QTextDocument tip;
    tip.setHtml(window_.toolTip());
    return Bytes(tip.toPlainText());
  }
  std::string ShownCaption() override { return Bytes(window_.pnlScroll->ShownText()); }
  std::string ShownTickerText() override {
    QAccessibleTextInterface* text =
        QAccessible::queryAccessibleInterface(window_.pnlScroll)->textInterface();
    return Bytes(text->text(0, text->characterCount()));
  }
  bool Visible() override { return window_.isVisible(); }
  int ClientHeight() override { return window_.height(); }
  int Dpi() override { return 96; }  // Qt lays out in logical pixels, the form's units
  PaletteColor ShownPanelColor(StripPanel panel) override {
    switch (panel) {
      case StripPanel::pnlMain:
        return FromQColor(window_.pnlMain->Color());
      case StripPanel::pnlImage:
        return FromQColor(window_.pnlImage->Color());
      case StripPanel::pnlScroll:
        break;
    }
    return FromQColor(window_.pnlScroll->Color());
  }
  PaletteColor ShownTickerFontColor() override {
    return FromQColor(window_.pnlScroll->FontColor());
  }
  bool ShownTickerBold() override { return window_.pnlScroll->font().bold(); }
  std::string ShownPictureName() override { return Bytes(AccessibleName(window_.imgCurrent)); }
  std::string ShownStationItem(StationItem item) override {
    QString text = (item == StationItem::pMRB ? window_.pMRB : window_.pWDM)->text();
    // An "&" in a station's line is no access key: it shows as "&&".
    return Bytes(text.replace(QStringLiteral("&&"), QStringLiteral("&")));
  }

  std::vector<ShownMenuItem> ShownMenu() override {
    std::vector<ShownMenuItem> items;
    for (QAction* action : window_.pMenu->actions()) {
      items.push_back({action->isSeparator() ? "-" : Bytes(action->text()), action->isVisible()});
    }
    return items;
  }
  void ChooseMenuItem(std::string_view name) override {
    for (QAction* action : window_.pMenu->actions()) {
      if (action->objectName().toStdString() == name) action->trigger();
    }
  }

  std::vector<std::string> Boxes() override {
    std::vector<std::string> boxes;
    for (const RecordingBoxes::Box& box : boxes_.boxes) {
      if (box.kind == "modal") continue;
      const bool titled = box.kind == "forecast" || box.kind == "uncaught";
      boxes.push_back(box.kind + ": " + (titled ? Bytes(box.title) + " | " : "") + Bytes(box.text));
    }
    return boxes;
  }
  std::vector<std::string> BoxTitles() override {
    // The real boxes, looked at while they are open.
    InstallMessageBoxes(nullptr);
    std::vector<std::string> titles;
    for (const bool error : {true, false}) {
      QObject looking;
      QTimer::singleShot(0, &looking, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        titles.push_back(Bytes(TitleOf(*box)));
        box->buttons().first()->click();
      });
      if (error) {
        ::Boxes().ShowError(QStringLiteral("error"));
      } else {
        ::Boxes().ShowInformation(QStringLiteral("information"));
      }
    }
    InstallMessageBoxes(&boxes_);
    return titles;
  }

  bool HasForms() override { return true; }
  void OpenOptions(TfrmOptions& form, const Inside& inside) override {
    OpenForm([&] { window_.RunOptions(form); }, inside);
  }
  void OpenAbout(const Inside& inside) override {
    OpenForm([&] { window_.RunAbout(); }, inside);
  }

 private:
  // Runs the form as `run` runs it, modally, and calls `inside` once it is
  // open; closes it afterwards unless a button did.
  void OpenForm(const std::function<void()>& run, const Inside& inside) {
    boxes_.on_modal = [&](QDialog& dialog) {
      QTimer::singleShot(0, &dialog, [&] {
        auto* form = qobject_cast<FormDialog*>(&dialog);
        if (form) {
          inside(ShownAs(*form), [form](std::string_view name) {
            if (auto* button = form->Find<QPushButton>(name)) button->click();
          });
        }
        if (dialog.isVisible()) dialog.reject();
      });
      return dialog.exec();
    };
    run();
    boxes_.on_modal = nullptr;
  }

  RecordingBoxes boxes_;
  MainWindow window_;
};

}  // namespace

std::unique_ptr<FaceProbe> MakeFaceProbe() { return std::make_unique<QtProbe>(); }
