#include "qt/about/about_box.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QFontInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <memory>
#include <vector>

namespace {

void ShowAndActivate(QDialog& box) {
  box.show();
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
}

QColor TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

template <class Control>
Control* In(const AboutBox& box, const char* name) {
  Control* control = box.Find<Control>(name);
  EXPECT_NE(control, nullptr) << name;
  return control;
}

TEST(AboutBoxTest, AFixedToolWindowFrameWithoutButtons) {
  AboutBox box;
  EXPECT_FALSE(box.isVisible());  // constructing shows nothing
  EXPECT_EQ(box.minimumSize(), box.maximumSize());
  const Qt::WindowFlags flags = box.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_FALSE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(flags & Qt::WindowMinMaxButtonsHint);
  EXPECT_FALSE(box.windowIcon().isNull());
}

// What the table leaves to the face: the fonts' stand-ins and colours, the
// title over its shadow, the picture, the copyright sign, the contact lines.
TEST(AboutBoxTest, FontsColoursAndTheCopyrightLine) {
  AboutBox box;
  auto* ok = In<QPushButton>(box, "btnOK");
  EXPECT_TRUE(ok->font().bold());
  EXPECT_EQ(ok->font().family(), "Liberation Sans");
  EXPECT_FALSE(In<QLabel>(box, "Image1")->pixmap().isNull());

  auto* shadow = In<QLabel>(box, "Label1");
  auto* title = In<QLabel>(box, "Label2");
  for (QLabel* label : {shadow, title}) {
    EXPECT_EQ(label->font().family(), "Liberation Sans");
    EXPECT_EQ(label->font().pixelSize(), 19);
    EXPECT_FALSE(label->autoFillBackground());
  }
  // Alike but for the colour, the shadow one pixel right and two down; the
  // navy title is drawn over it, clear of the OK button.
  EXPECT_EQ(shadow->size(), title->size());
  EXPECT_EQ(shadow->pos() - title->pos(), QPoint(1, 2));
  EXPECT_LT(shadow->geometry().right(), ok->x());
  EXPECT_EQ(TextColour(shadow), QColor(128, 128, 128));
  EXPECT_EQ(TextColour(title), QColor(0, 0, 128));
  EXPECT_EQ(shadow->alignment(), title->alignment());
  const QObjectList& children = box.children();
  EXPECT_GT(children.indexOf(title), children.indexOf(shadow));
  EXPECT_EQ(TextColour(In<QLabel>(box, "Label9")), QColor(0, 0, 0));
  EXPECT_EQ(TextColour(In<QLabel>(box, "Label6")), QColor(0, 0, 128));

  // The sign: in the symbol font, where it has its own code, or the
  // ordinary one; screen readers read the sign either way.
  auto* word = In<QLabel>(box, "Label3");
  auto* sign = In<QLabel>(box, "Label4");
  auto* holder = In<QLabel>(box, "Label5");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(sign)->text(QAccessible::Name),
            QString(QChar(0x00A9)));
  if (QFontInfo(sign->font()).family().startsWith("Standard Symbols PS")) {
    EXPECT_EQ(sign->text(), QString(QChar(0x00E3)));
  } else {
    EXPECT_EQ(sign->text(), QString(QChar(0x00A9)));
    EXPECT_EQ(sign->font().family(), "Liberation Sans");
  }
  // One line, each piece one blank after the one before.
  EXPECT_EQ(sign->y(), word->y());
  EXPECT_EQ(holder->y(), word->y());
  const int blank = QFontMetrics(box.font()).horizontalAdvance(QLatin1Char(' '));
  EXPECT_EQ(sign->x(), word->geometry().right() + 1 + blank);
  EXPECT_EQ(holder->x(), sign->geometry().right() + 1 + blank);

  for (const char* name : {"Edit1", "Edit2"}) {
    auto* contact = In<QLineEdit>(box, name);
    EXPECT_TRUE(contact->isReadOnly());
    EXPECT_FALSE(contact->hasFrame());
    EXPECT_EQ(contact->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(contact->palette().color(QPalette::Base), box.palette().color(QPalette::Window));
    EXPECT_EQ(contact->cursorPosition(), 0);
  }
}

// Our own lines must not be cut off by the boxes they stand in.
TEST(AboutBoxTest, EveryTextFitsItsBox) {
  AboutBox box;
  for (const char* name : {"Label1", "Label9", "Label6", "Label3", "Label5"}) {
    auto* label = In<QLabel>(box, name);
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << name;
  }
  for (QLineEdit* contact : {In<QLineEdit>(box, "Edit1"), In<QLineEdit>(box, "Edit2")}) {
    // The field keeps a couple of pixels of margin on each side.
    EXPECT_LE(QFontMetrics(contact->font()).horizontalAdvance(contact->text()) + 4,
              contact->width())
        << contact->objectName().toStdString();
  }
  EXPECT_LE(In<QLabel>(box, "Label5")->geometry().right(), box.width() - 20);
}

TEST(AboutBoxTest, EnterAndOkCloseEscDoesNothing) {
  AboutBox box;
  auto* ok = In<QPushButton>(box, "btnOK");
  auto* web = In<QLineEdit>(box, "Edit2");
  ShowAndActivate(box);
  EXPECT_EQ(QApplication::focusWidget(), ok);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Rejected);

  ShowAndActivate(box);
  QTest::mouseClick(ok, Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());

  // From a contact line, where the user selected text with the mouse.
  ShowAndActivate(box);
  QTest::mouseClick(web, Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), web);
  QTest::keyClick(web, Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());
  QTest::keyClick(web, Qt::Key_Enter);
  EXPECT_FALSE(box.isVisible());
}

TEST(AboutBoxTest, TabStopsOnlyAtOk) {
  AboutBox box;
  ShowAndActivate(box);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), box.Find<QPushButton>("btnOK"));
}

// The contact lines read as their texts.
TEST(AboutBoxTest, ContactLinesReadAsTheirTexts) {
  AboutBox box;
  auto* mail = In<QLineEdit>(box, "Edit1");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(mail)->text(QAccessible::Value), mail->text());
}

TEST(AboutBoxTest, ContactLinesCanBeSelectedAndCopied) {
  AboutBox box;
  auto* mail = In<QLineEdit>(box, "Edit1");
  ShowAndActivate(box);
  mail->setFocus();
  QTest::keyClick(mail, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(mail->selectedText(), mail->text());
  const QString before = mail->text();
  QTest::keyClicks(mail, "xyz");
  QTest::keyClick(mail, Qt::Key_Backspace);
  EXPECT_EQ(mail->text(), before);
}

// Two openings in a row, as the menu command makes them: each a fresh box,
// shown modally and centred, the first gone before the second comes.
TEST(AboutBoxTest, TwoOpeningsGiveTwoSeparateCentredBoxes) {
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  std::vector<QPointer<QWidget>> shown;
  std::vector<QString> texts;
  for (int opening = 0; opening < 2; ++opening) {
    auto box = std::make_unique<AboutBox>();
    QTimer::singleShot(0, box.get(), [&] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      shown.push_back(modal);
      EXPECT_LE((modal->frameGeometry().center() - centre).manhattanLength(), 2);
      auto* about = qobject_cast<AboutBox*>(modal);
      ASSERT_NE(about, nullptr);
      texts.push_back(
          about->Find<QLabel>("Label2")->text() + about->Find<QLabel>("Label6")->text() +
          about->Find<QLineEdit>("Edit1")->text() + about->Find<QLineEdit>("Edit2")->text());
      about->move(5, 5);
      QTest::keyClick(about->Find<QPushButton>("btnOK"), Qt::Key_Return);
    });
    EXPECT_EQ(box->exec(), QDialog::Rejected);
    box.reset();
    ASSERT_EQ(shown.size(), static_cast<size_t>(opening + 1));
    EXPECT_TRUE(shown.back().isNull());  // destroyed with its opening
  }
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], texts[1]);
}

TEST(AboutBoxTest, ReopeningTheSameBoxCentresItAgain) {
  AboutBox box;
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  box.show();
  EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 2);
  box.move(3, 3);
  box.btnOKClick();
  EXPECT_FALSE(box.isVisible());
  box.show();
  EXPECT_LE((box.frameGeometry().center() - centre).manhattanLength(), 2);
}

}  // namespace
