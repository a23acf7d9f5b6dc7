// The menu commands that open something: the whole forecast in a box, the
// options dialog with the settings re-applied after it, a fresh about box;
// and the real boxes behind the seam.
#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTimer>
#include <QWindow>

#include "about/wxabout.h"
#include "options/wxopts.h"
#include "shell/ticker_panel.h"
#include "shell/wx.h"
#include "shell_fixture.h"
#include "store/reg_ini_file.h"
#include "ui/app_title.h"

namespace {

class MenuTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    StoreFile("[settings]\nonstart=0\n[weather]\nlast forecast=Fair.\n");
    frm_.FormCreate();
  }
  TfrmMain frm_;
};

// ---- "&Forecast" ----

TEST_F(MenuTest, ForecastBoxIsTitledWithTheApplicationTitle) {
  frm_.ForecastText = "Rain <b>heavy</b> & wind &amp; [*] \xE9t\xE9";
  frm_.pnlScroll->SetCaption(frm_.ForecastText);
  frm_.tmrScrollTimer();
  frm_.DisplayCompleteForecast1->trigger();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "forecast");
  EXPECT_EQ(boxes_.boxes[0].title, "Marrowby Weather");
  // The text goes to the box as it stands.
  EXPECT_EQ(boxes_.boxes[0].text,
            QString::fromUtf8("Rain <b>heavy</b> & wind &amp; [*] \u00e9t\u00e9"));

  // With the taskbar mirroring the ticker, the title is the ticker's
  // remaining text, at most 255 characters of it.
  frm_.ScrollInTaskbar = true;
  std::string forecast;
  for (int i = 0; i < 400; ++i) forecast.push_back(static_cast<char>('a' + i % 26));
  frm_.ForecastText = forecast;
  frm_.pnlScroll->SetCaption(forecast);
  frm_.tmrScrollTimer();
  frm_.DisplayCompleteForecast1Click();
  ASSERT_EQ(ApplicationTitleText(), forecast.substr(1));
  EXPECT_EQ(boxes_.boxes.back().title.toStdString(), forecast.substr(1, 255));
  EXPECT_EQ(boxes_.boxes.back().text.toStdString(), forecast);

  frm_.pnlScroll->SetCaption("xShort <i>one</i>");
  frm_.tmrScrollTimer();
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(boxes_.boxes.back().title, "Short <i>one</i>");

  frm_.ScrollInTaskbar = false;
  frm_.tmrScrollTimer();
  frm_.DisplayCompleteForecast1Click();
  EXPECT_EQ(boxes_.boxes.back().title, "Marrowby Weather");
}

TEST_F(MenuTest, EmptyForecastShowsAnEmptyBox) {
  frm_.ForecastText.clear();
  frm_.DisplayCompleteForecast1Click();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "forecast");
  EXPECT_EQ(boxes_.boxes[0].text, "");
}

// ---- "&Options" ----

TEST_F(MenuTest, OptionsAreReappliedAfterOk) {
  QPointer<QDialog> seen;
  boxes_.on_modal = [&](QDialog& dialog) {
    seen = &dialog;
    auto* options = qobject_cast<TfrmOptions*>(&dialog);
    EXPECT_NE(options, nullptr);
    if (!options) return 0;
    options->tbScroll->setValue(40);
    options->chkShowTask->setChecked(true);
    options->chkAltSite->setChecked(true);
    options->btnOk->click();
    return options->result();
  };
  frm_.pOptions->trigger();
  ASSERT_EQ(boxes_.boxes.size(), 1u);
  EXPECT_EQ(boxes_.boxes[0].kind, "modal");
  EXPECT_TRUE(seen.isNull());  // destroyed after its run
  EXPECT_EQ(frm_.tmrScroll->Interval(), 40);
  EXPECT_TRUE(frm_.ScrollInTaskbar);
  EXPECT_TRUE(frm_.UseAlternateSource);
}

TEST_F(MenuTest, OptionsAreReappliedAfterCancelToo) {
  EXPECT_EQ(frm_.tmrScroll->Interval(), 150);
  boxes_.on_modal = [&](QDialog& dialog) {
    auto* options = qobject_cast<TfrmOptions*>(&dialog);
    EXPECT_NE(options, nullptr);
    if (!options) return 0;
    options->tbScroll->setValue(10);  // not stored
    // Meanwhile another running copy stored new settings.
    {
      TRegIniFile reg(kProductKeyPath);
      Write(reg, kRate, 75);
      Write(reg, kShowTask, true);
    }
    options->btnCancel->click();
    return options->result();
  };
  frm_.pOptsClick();
  EXPECT_EQ(frm_.tmrScroll->Interval(), 75);
  EXPECT_TRUE(frm_.ScrollInTaskbar);
  EXPECT_EQ(StoredText(kRate), "75");
}

// ---- "&About..." ----

TEST_F(MenuTest, EveryAboutIsAFreshBox) {
  std::vector<QPointer<QDialog>> seen;
  boxes_.on_modal = [&](QDialog& dialog) {
    EXPECT_NE(qobject_cast<TfrmAbout*>(&dialog), nullptr);
    EXPECT_EQ(dialog.windowTitle(), "About...");
    // The one before is gone already.
    for (const QPointer<QDialog>& before : seen) EXPECT_TRUE(before.isNull());
    seen.emplace_back(&dialog);
    return 0;
  };
  frm_.pAbout->trigger();
  frm_.pAboutClick();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[1].isNull());
  EXPECT_EQ(boxes_.boxes.size(), 2u);
}

// The real modal run: the ticker keeps moving while the box is open.
TEST_F(MenuTest, TheTickerMovesWhileTheAboutBoxIsOpen) {
  InstallMessageBoxes(nullptr);
  frm_.tmrScroll->SetInterval(5);
  frm_.tmrScroll->SetEnabled(true);
  frm_.ForecastText = std::string(500, 'x');
  frm_.pnlScroll->SetCaption(frm_.ForecastText);
  bool moved = false;
  QTimer::singleShot(0, [&] {
    moved = ProcessEventsUntil([&] { return frm_.pnlScroll->Caption().size() < 490; });
    auto* about = qobject_cast<TfrmAbout*>(QApplication::activeModalWidget());
    ASSERT_NE(about, nullptr);
    about->btnOK->click();
  });
  frm_.pAboutClick();
  EXPECT_TRUE(moved);
}

// ---- the real boxes ----

struct SeenBox {
  QString title;
  QString text;
  Qt::TextFormat format = Qt::AutoText;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QStringList buttons;
  QRect frame;
  int label_width = 0;
  int label_height = 0;
  bool closed_by_key = false;
  QStringList accessible_names;  // the box's and every named element's within it
};

void CollectNames(QAccessibleInterface* iface, QStringList& names) {
  if (!iface->text(QAccessible::Name).isEmpty()) names << iface->text(QAccessible::Name);
  for (int i = 0; i < iface->childCount(); ++i) CollectNames(iface->child(i), names);
}

// Shows a real box through the seam, looks at it once it is up, and closes
// it with `key`.
SeenBox ShowReal(const std::function<void()>& show, int key) {
  InstallMessageBoxes(nullptr);
  SeenBox seen;
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    ASSERT_NE(box, nullptr);
    seen.title = box->windowHandle() ? box->windowHandle()->title() : box->windowTitle();
    seen.text = box->text();
    seen.format = box->textFormat();
    seen.icon = box->icon();
    for (QAbstractButton* button : box->buttons()) seen.buttons << button->text();
    seen.frame = box->frameGeometry();
    CollectNames(QAccessible::queryAccessibleInterface(box), seen.accessible_names);
    if (auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
      seen.label_width = label->width();
      seen.label_height = label->height();
    }
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box, &press);
    seen.closed_by_key = !box->isVisible();
    if (box->isVisible()) box->buttons().first()->click();
  });
  show();
  return seen;
}

QRect Screen() { return QGuiApplication::primaryScreen()->availableGeometry(); }

void ExpectCentred(const QRect& frame) {
  EXPECT_LE(std::abs(frame.center().x() - Screen().center().x()), 2) << frame.x();
  EXPECT_LE(std::abs(frame.center().y() - Screen().center().y()), 2) << frame.y();
}

TEST_F(MenuTest, RealErrorAndInformationBoxes) {
  SeenBox error =
      ShowReal([] { Boxes().ShowError("Connection to Internet failed or lost."); }, Qt::Key_Return);
  EXPECT_EQ(error.title, "Error");
  EXPECT_EQ(error.text, "Connection to Internet failed or lost.");
  EXPECT_EQ(error.icon, QMessageBox::Critical);
  EXPECT_EQ(error.buttons, QStringList{"OK"});
  EXPECT_TRUE(error.closed_by_key);
  ExpectCentred(error.frame);

  SeenBox info = ShowReal(
      [] {
        Boxes().ShowInformation("Attempt to open the URL failed. Check your connection settings");
      },
      Qt::Key_Escape);
  EXPECT_EQ(info.title, "Information");
  EXPECT_EQ(info.icon, QMessageBox::Information);
  EXPECT_EQ(info.buttons, QStringList{"OK"});
  EXPECT_TRUE(info.closed_by_key);
  ExpectCentred(info.frame);
}

TEST_F(MenuTest, RealForecastBoxIsPlainWrappedAndCentred) {
  std::string forecast = "<b>Bold?</b> & more: ";
  while (forecast.size() < 3000) forecast += "Showers likely, mainly after noon. ";
  frm_.ForecastText = forecast;
  SeenBox box = ShowReal([&] { frm_.DisplayCompleteForecast1Click(); }, Qt::Key_Escape);
  EXPECT_EQ(box.title, "Marrowby Weather");
  EXPECT_EQ(box.text.toStdString(), forecast);
  EXPECT_EQ(box.format, Qt::PlainText);
  EXPECT_EQ(box.icon, QMessageBox::NoIcon);
  EXPECT_EQ(box.buttons, QStringList{"OK"});
  // A screen reader reads the title, the whole forecast and the button.
  EXPECT_EQ(box.accessible_names,
            QStringList({"Marrowby Weather", QString::fromStdString(forecast), "OK"}));
  EXPECT_TRUE(box.closed_by_key);
  EXPECT_GT(box.label_width, 0);
  EXPECT_LE(box.label_width, Screen().width() / 2);
  EXPECT_GT(box.label_height, 3 * QFontMetrics(QApplication::font()).height());
  ExpectCentred(box.frame);

  // A short one, and an empty one, are centred as well.
  frm_.ForecastText = "Fair.";
  ExpectCentred(ShowReal([&] { frm_.DisplayCompleteForecast1Click(); }, Qt::Key_Return).frame);
  frm_.ForecastText.clear();
  SeenBox empty = ShowReal([&] { frm_.DisplayCompleteForecast1Click(); }, Qt::Key_Return);
  EXPECT_EQ(empty.text, "");
  EXPECT_EQ(empty.buttons, QStringList{"OK"});
}

}  // namespace
