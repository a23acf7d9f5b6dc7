#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <filesystem>

#include "qt/options/color_grid.h"
#include "qt/options/options_dialog.h"
#include "qt/ui/app_title.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "support/recording_boxes.h"
#include "support/temp_config.h"

namespace {

namespace fs = std::filesystem;

class OptionsDialogTest : public testing::Test {
 protected:
  void SetUp() override { SetApplicationTitle("Marrowby Weather"); }

  std::string File() const { return config.SettingsFile(); }
  template <class Entry>
  std::string Text(const Entry& entry) const {
    return TRegIniFile(kProductKeyPath).ReadText(entry.section, entry.name, "<none>");
  }
  static void ShowAndActivate(QDialog& dialog) {
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }

  TempConfigDir config;
  RecordingBoxes boxes;
};

// The options form filled from the store, and the dialog on it, as the
// Options command makes them.
struct Options {
  static TfrmOptions Filled() {
    TfrmOptions form;
    form.FormCreate();
    return form;
  }
  TfrmOptions form = Filled();
  TOptionsDialog dialog{form};
};

// The seven option entries, in their writing order, each with a value other
// than its default.
const char kAllSevenChanged[] =
    "[scroll]\nrate=42\n"
    "[window]\nforeground=4\nbackground=11\nbold=0\nshowtask=1\n"
    "[settings]\nonstart=0\naltsource=1\n";

// The controls show the form's values, and a change of a control is the
// form's at once.
TEST_F(OptionsDialogTest, TheControlsShowAndChangeTheFormsValues) {
  WriteFileBytes(File(), kAllSevenChanged);
  Options options;
  TOptionsDialog& dialog = options.dialog;
  EXPECT_EQ(dialog.tbScroll->value(), 42);
  EXPECT_EQ(dialog.cGrid->ForegroundIndex(), 4);
  EXPECT_EQ(dialog.cGrid->BackgroundIndex(), 11);
  EXPECT_FALSE(dialog.chkBold->isChecked());
  EXPECT_TRUE(dialog.chkShowTask->isChecked());
  EXPECT_FALSE(dialog.chkOnStart->isChecked());
  EXPECT_TRUE(dialog.chkAltSite->isChecked());

  dialog.tbScroll->setValue(77);
  dialog.chkBold->setChecked(true);
  dialog.chkAltSite->setChecked(false);
  EXPECT_EQ(options.form.tbScroll, 77);
  EXPECT_TRUE(options.form.chkBold);
  EXPECT_FALSE(options.form.chkAltSite);
}

TEST_F(OptionsDialogTest, EnterPressesOk) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  dialog.cGrid->SetForegroundIndex(9);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Text(kForeground), "9");
}

TEST_F(OptionsDialogTest, AChosenCellIsWhatOkStores) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  // Left click on the background cell: both marks on one cell.
  QTest::mouseClick(dialog.cGrid, Qt::LeftButton, {}, dialog.cGrid->CellRect(0).center());
  EXPECT_EQ(dialog.cGrid->CellMark(0), "FB");
  QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
  EXPECT_EQ(Text(kForeground), "0");
  EXPECT_EQ(Text(kBackground), "0");
}

enum class Leave { kCancelButton, kEscape, kCloseBox };

class OptionsDialogLeaveTest : public OptionsDialogTest,
                               public testing::WithParamInterface<Leave> {};

TEST_P(OptionsDialogLeaveTest, LeavesTheFileByteIdentical) {
  WriteFileBytes(File(), kAllSevenChanged);
  const std::string before = ReadFileBytes(File());
  const auto stamp = fs::last_write_time(File());
  Options options;
  TOptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  // Change every control first.
  QTest::keyClick(dialog.tbScroll, Qt::Key_Right);
  QTest::mouseClick(dialog.cGrid, Qt::LeftButton, {}, dialog.cGrid->CellRect(1).center());
  QTest::mouseClick(dialog.cGrid, Qt::RightButton, {}, dialog.cGrid->CellRect(2).center());
  for (QCheckBox* box :
       {dialog.chkBold, dialog.chkShowTask, dialog.chkOnStart, dialog.chkAltSite}) {
    box->toggle();
  }
  switch (GetParam()) {
    case Leave::kCancelButton:
      QTest::mouseClick(dialog.btnCancel, Qt::LeftButton);
      break;
    case Leave::kEscape:
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      break;
    case Leave::kCloseBox:
      EXPECT_TRUE(dialog.close());
      break;
  }
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Rejected);
  EXPECT_EQ(ReadFileBytes(File()), before);
  EXPECT_EQ(fs::last_write_time(File()), stamp);
  EXPECT_TRUE(boxes.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Ways, OptionsDialogLeaveTest,
                         testing::Values(Leave::kCancelButton, Leave::kEscape, Leave::kCloseBox),
                         [](const testing::TestParamInfo<Leave>& info) {
                           switch (info.param) {
                             case Leave::kCancelButton:
                               return "CancelButton";
                             case Leave::kEscape:
                               return "Escape";
                             case Leave::kCloseBox:
                               return "CloseBox";
                           }
                           return "Unknown";
                         });

// The settings file cannot be replaced (a folder stands in its place): the
// first write fails, the error is shown and the dialog stays open; once the
// obstacle is gone, OK again writes and closes.
TEST_F(OptionsDialogTest, AStoreErrorWhileWritingKeepsTheDialogOpen) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  fs::remove(File());
  fs::create_directories(File());
  dialog.chkAltSite->setChecked(true);
  QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].kind, "uncaught");
  EXPECT_EQ(boxes.boxes[0].title, "Marrowby Weather");
  EXPECT_EQ(boxes.boxes[0].text, "Failed to set data for 'rate'.");
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  fs::remove(File());
  QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
  EXPECT_EQ(boxes.boxes.size(), 1u);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Text(kAltSource), "1");
}

TEST_F(OptionsDialogTest, FormHasItsCaptionSizeAndFrame) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  EXPECT_EQ(dialog.windowTitle(), "Options");
  EXPECT_EQ(dialog.size(), QSize(237, 231));
  EXPECT_EQ(dialog.minimumSize(), QSize(237, 231));
  EXPECT_EQ(dialog.maximumSize(), QSize(237, 231));
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
  EXPECT_EQ(dialog.font().family(), "Liberation Sans");
  EXPECT_EQ(dialog.font().pixelSize(), 11);
}

TEST_F(OptionsDialogTest, ControlsStandWhereTheFormPutsThem) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  EXPECT_EQ(dialog.Panel1->geometry(), QRect(4, 4, 227, 182));
  EXPECT_EQ(dialog.Label1->pos(), QPoint(8, 13));
  EXPECT_EQ(dialog.Label1->text(), "Scroll Faster");
  EXPECT_EQ(dialog.tbScroll->geometry(), QRect(70, 15, 96, 17));
  EXPECT_EQ(dialog.Label2->pos(), QPoint(170, 13));
  EXPECT_EQ(dialog.Label2->text(), "Slower");
  EXPECT_EQ(dialog.Label3->pos(), QPoint(8, 47));
  EXPECT_EQ(dialog.Label3->text(), "Color Scheme:");
  EXPECT_EQ(dialog.chkBold->geometry(), QRect(120, 47, 76, 17));
  EXPECT_EQ(dialog.cGrid->geometry(), QRect(8, 65, 176, 40));
  EXPECT_EQ(dialog.cGrid->GridOrdering(), TGridOrdering::go8x2);
  EXPECT_EQ(dialog.chkShowTask->geometry(), QRect(9, 115, 202, 19));
  EXPECT_EQ(dialog.chkOnStart->geometry(), QRect(9, 135, 202, 19));
  EXPECT_EQ(dialog.chkAltSite->geometry(), QRect(9, 155, 202, 19));
  EXPECT_EQ(dialog.btnOk->geometry(), QRect(105, 198, 62, 25));
  EXPECT_EQ(dialog.btnCancel->geometry(), QRect(170, 198, 62, 25));
  for (QWidget* inside :
       {static_cast<QWidget*>(dialog.Label1), static_cast<QWidget*>(dialog.tbScroll),
        static_cast<QWidget*>(dialog.cGrid), static_cast<QWidget*>(dialog.chkAltSite)}) {
    EXPECT_EQ(inside->parentWidget(), dialog.Panel1) << inside->objectName().toStdString();
  }
  // Every caption fits its control.
  for (QLabel* label : {dialog.Label1, dialog.Label2, dialog.Label3}) {
    EXPECT_LE(label->geometry().right(), dialog.Panel1->width() - 3);
  }
  EXPECT_LE(dialog.Label1->geometry().right(), dialog.tbScroll->x());
}

TEST_F(OptionsDialogTest, CaptionsAccessKeysAndToolTips) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  EXPECT_EQ(dialog.chkBold->text(), "&Bold Font");
  EXPECT_EQ(dialog.chkShowTask->text(), "&Scroll Forecast in Task Bar");
  EXPECT_EQ(dialog.chkOnStart->text(), "&Update on Startup");
  EXPECT_EQ(dialog.chkAltSite->text(), "Use &alternate data source");
  EXPECT_EQ(dialog.btnOk->text(), "OK");
  EXPECT_EQ(dialog.btnCancel->text(), "Cancel");
  EXPECT_TRUE(dialog.btnOk->isDefault());
  EXPECT_FALSE(dialog.btnCancel->isDefault());
  EXPECT_EQ(dialog.tbScroll->toolTip(), "Controls speed of scrolling text");
  EXPECT_EQ(dialog.cGrid->toolTip(),
            "Left Click to select Foreground, Right Click to select background\n"
            "Keyboard: arrow keys move, F or Space selects Foreground, B background");
  EXPECT_EQ(dialog.chkBold->toolTip(), "Toggles bold or normal font in forecast window");
  EXPECT_EQ(dialog.chkShowTask->toolTip(), "Toggle scrolling of forecast in taskbar button");
  EXPECT_EQ(dialog.chkOnStart->toolTip(), "Toggles auto-update upon startup");
  EXPECT_EQ(dialog.chkAltSite->toolTip(), "Check this if the current source is slow or times out");

  ShowAndActivate(dialog);
  const bool bold = dialog.chkBold->isChecked();
  QTest::keyClick(&dialog, Qt::Key_B, Qt::AltModifier);
  QTest::qWait(50);  // the access key clicks with a short animation
  QTRY_COMPARE(dialog.chkBold->isChecked(), !bold);
  QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
  QTRY_VERIFY(dialog.chkAltSite->isChecked());
}

TEST_F(OptionsDialogTest, KeyboardOrderAndTrackBarKeys) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  EXPECT_EQ(QApplication::focusWidget(), dialog.tbScroll);
  std::vector<QWidget*> order;
  QWidget* at = dialog.tbScroll;
  for (int i = 0; i < 8; ++i) {
    order.push_back(QApplication::focusWidget());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    at = QApplication::focusWidget();
  }
  EXPECT_EQ(at, dialog.tbScroll);  // round again
  // The colour grid after the check box beside its label, for the keyboard.
  const std::vector<QWidget*> expected = {dialog.tbScroll,    dialog.chkBold,    dialog.cGrid,
                                          dialog.chkShowTask, dialog.chkOnStart, dialog.chkAltSite,
                                          dialog.btnOk,       dialog.btnCancel};
  EXPECT_EQ(order, expected);

  QSlider* bar = dialog.tbScroll;
  EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  EXPECT_EQ(bar->tickPosition(), QSlider::NoTicks);
  EXPECT_EQ(bar->minimum(), 1);
  EXPECT_EQ(bar->maximum(), 300);
  EXPECT_FALSE(bar->invertedAppearance());
  ASSERT_EQ(bar->value(), 150);
  QTest::keyClick(bar, Qt::Key_Right);
  EXPECT_EQ(bar->value(), 151);
  QTest::keyClick(bar, Qt::Key_Left);
  QTest::keyClick(bar, Qt::Key_Left);
  EXPECT_EQ(bar->value(), 149);
  QTest::keyClick(bar, Qt::Key_PageUp);
  EXPECT_EQ(bar->value(), 151);
  QTest::keyClick(bar, Qt::Key_PageDown);
  QTest::keyClick(bar, Qt::Key_PageDown);
  EXPECT_EQ(bar->value(), 147);
  QTest::keyClick(bar, Qt::Key_Home);
  EXPECT_EQ(bar->value(), 1);  // the left end: the shortest step, the fastest ticker
}

TEST_F(OptionsDialogTest, EveryControlHasANameForScreenReaders) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  const auto name = [](QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->text(QAccessible::Name);
  };
  EXPECT_EQ(name(&dialog), "Options");
  EXPECT_EQ(name(dialog.tbScroll), "Scroll speed");
  EXPECT_EQ(name(dialog.cGrid), "Color Scheme:");
  EXPECT_EQ(name(dialog.chkBold), "Bold Font");
  EXPECT_EQ(name(dialog.chkShowTask), "Scroll Forecast in Task Bar");
  EXPECT_EQ(name(dialog.chkOnStart), "Update on Startup");
  EXPECT_EQ(name(dialog.chkAltSite), "Use alternate data source");
  EXPECT_EQ(name(dialog.btnOk), "OK");
  EXPECT_EQ(name(dialog.btnCancel), "Cancel");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(dialog.cGrid)->childCount(), 16);
}

TEST_F(OptionsDialogTest, EveryOpeningIsCentredOnTheScreen) {
  Options options;
  TOptionsDialog& dialog = options.dialog;
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  dialog.show();
  EXPECT_LE((dialog.frameGeometry().center() - centre).manhattanLength(), 2);
  dialog.move(10, 10);
  dialog.hide();
  dialog.show();
  EXPECT_LE((dialog.frameGeometry().center() - centre).manhattanLength(), 2);
}

}  // namespace
