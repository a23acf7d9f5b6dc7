#include "qt/options/options_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qt/options/color_grid.h"
#include "store/reg_ini_file.h"
#include "store/stored_entries.h"
#include "strip/options_form.h"
#include "strip/strip_environment.h"
#include "support/recording_boxes.h"
#include "support/temp_config.h"

namespace {

namespace fs = std::filesystem;

class OptionsDialogTest : public testing::Test {
 protected:
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
// Options command makes them; the form's OK runs behind a boundary that
// keeps what it stopped (the strip's shows it).
struct Options {
  std::vector<std::string> errors;
  TfrmOptions form{ProgramEnvironment().settings, [this](const std::function<void()>& step) {
                     try {
                       step();
                       return true;
                     } catch (const std::exception& error) {
                       errors.emplace_back(error.what());
                       return false;
                     }
                   }};
  bool filled = (form.FormCreate(), true);
  OptionsDialog dialog{form};
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
  OptionsDialog& dialog = options.dialog;
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
  OptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  dialog.cGrid->SetForegroundIndex(9);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Text(kForeground), "9");
}

TEST_F(OptionsDialogTest, AChosenCellIsWhatOkStores) {
  Options options;
  OptionsDialog& dialog = options.dialog;
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
  OptionsDialog& dialog = options.dialog;
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
  OptionsDialog& dialog = options.dialog;
  ShowAndActivate(dialog);
  fs::remove(File());
  fs::create_directories(File());
  dialog.chkAltSite->setChecked(true);
  QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
  EXPECT_EQ(options.errors, std::vector<std::string>{"Failed to set data for 'rate'"});
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  fs::remove(File());
  QTest::mouseClick(dialog.btnOk, Qt::LeftButton);
  EXPECT_EQ(options.errors.size(), 1u);
  EXPECT_FALSE(dialog.isVisible());
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(Text(kAltSource), "1");
}

// A fixed frame with the system menu and the close box only, drawn in the
// stand-in of the form's MS Sans Serif.
TEST_F(OptionsDialogTest, AFixedDialogFrameInTheFormsFont) {
  Options options;
  OptionsDialog& dialog = options.dialog;
  EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
  const Qt::WindowFlags flags = dialog.windowFlags();
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowContextHelpButtonHint);
  EXPECT_EQ(dialog.font().family(), "Liberation Sans");
  EXPECT_EQ(dialog.font().pixelSize(), 11);
}

TEST_F(OptionsDialogTest, EveryCaptionFitsAndAccessKeysPressTheirBoxes) {
  Options options;
  OptionsDialog& dialog = options.dialog;
  QWidget* panel = dialog.findChild<QWidget*>("Panel1");
  ASSERT_NE(panel, nullptr);
  for (const char* name : {"Label1", "Label2", "Label3"}) {
    const QLabel* label = dialog.Find<QLabel>(name);
    ASSERT_NE(label, nullptr) << name;
    EXPECT_LE(label->geometry().right(), panel->width() - 3) << name;
  }
  EXPECT_LE(dialog.Find<QLabel>("Label1")->geometry().right(), dialog.tbScroll->x());
  for (QCheckBox* box :
       {dialog.chkBold, dialog.chkShowTask, dialog.chkOnStart, dialog.chkAltSite}) {
    EXPECT_LE(box->sizeHint().width(), box->width()) << box->objectName().toStdString();
  }

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
  OptionsDialog& dialog = options.dialog;
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

TEST_F(OptionsDialogTest, EveryOpeningIsCentredOnTheScreen) {
  Options options;
  OptionsDialog& dialog = options.dialog;
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  dialog.show();
  EXPECT_LE((dialog.frameGeometry().center() - centre).manhattanLength(), 2);
  dialog.move(10, 10);
  dialog.hide();
  dialog.show();
  EXPECT_LE((dialog.frameGeometry().center() - centre).manhattanLength(), 2);
}

}  // namespace
