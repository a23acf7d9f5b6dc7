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

#include "qt/about/about_box.h"

namespace {

const QString kHint = "You can select this text and hit CTRL-C to copy it";

void ShowAndActivate(QDialog& box) {
  box.show();
  box.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&box));
}

QColor TextColour(const QWidget* widget) { return widget->palette().color(QPalette::WindowText); }

TEST(AboutBoxTest, FormHasItsCaptionSizeAndFrame) {
  TAboutBox box;
  EXPECT_FALSE(box.isVisible());  // constructing shows nothing
  EXPECT_EQ(box.windowTitle(), "About...");
  EXPECT_EQ(box.size(), QSize(356, 167));
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

TEST(AboutBoxTest, TextsFontsAndColours) {
  TAboutBox box;
  EXPECT_EQ(box.btnOK->text(), "OK");
  EXPECT_TRUE(box.btnOK->isDefault());
  EXPECT_TRUE(box.btnOK->font().bold());
  EXPECT_EQ(box.btnOK->font().pixelSize(), 11);
  EXPECT_EQ(box.btnOK->geometry(), QRect(290, 16, 55, 23));

  EXPECT_EQ(box.Image1->geometry(), QRect(20, 15, 32, 32));
  EXPECT_FALSE(box.Image1->pixmap().isNull());
  EXPECT_TRUE(box.Image1->toolTip().isEmpty());

  for (QLabel* title : {box.Label1, box.Label2}) {
    EXPECT_EQ(title->text(), "Marrowby Weather Ticker");
    EXPECT_EQ(title->font().family(), "Liberation Sans");
    EXPECT_EQ(title->font().pixelSize(), 19);
    EXPECT_FALSE(title->autoFillBackground());
  }
  // As wide as the title needs, at least 204; clear of the OK button.
  EXPECT_EQ(box.Label1->pos(), QPoint(65, 16));
  EXPECT_EQ(box.Label2->pos(), QPoint(64, 14));
  EXPECT_EQ(box.Label1->size(), box.Label2->size());
  EXPECT_EQ(box.Label1->height(), 22);
  EXPECT_GE(box.Label1->width(), 204);
  EXPECT_LT(box.Label1->geometry().right(), box.btnOK->x());
  EXPECT_EQ(TextColour(box.Label1), QColor(128, 128, 128));
  EXPECT_EQ(TextColour(box.Label2), QColor(0, 0, 128));
  EXPECT_EQ(box.Label1->alignment(), box.Label2->alignment());
  // The navy title is drawn over its shadow.
  const QObjectList& children = box.children();
  EXPECT_GT(children.indexOf(box.Label2), children.indexOf(box.Label1));

  EXPECT_EQ(box.Label9->text(), "Version 1.1");
  EXPECT_EQ(box.Label9->geometry(), QRect(66, 39, 56, 14));
  EXPECT_EQ(TextColour(box.Label9), QColor(0, 0, 0));
  EXPECT_FALSE(box.Label6->text().isEmpty());
  EXPECT_EQ(box.Label6->geometry(), QRect(26, 88, 146, 14));
  EXPECT_EQ(TextColour(box.Label6), QColor(0, 0, 128));

  EXPECT_EQ(box.Label3->text(), "Copyright");
  // The sign: in the symbol font, where it has its own code, or the ordinary one.
  EXPECT_EQ(box.Label4->accessibleName(), QString(QChar(0x00A9)));
  if (QFontInfo(box.Label4->font()).family().startsWith("Standard Symbols PS")) {
    EXPECT_EQ(box.Label4->text(), QString(QChar(0x00E3)));
  } else {
    EXPECT_EQ(box.Label4->text(), QString(QChar(0x00A9)));
  }
  EXPECT_TRUE(box.Label5->text().contains("Tidewell"));
  EXPECT_EQ(box.Label3->pos(), QPoint(26, 103));
  EXPECT_EQ(box.Label4->y(), 103);
  EXPECT_EQ(box.Label5->y(), 103);
  EXPECT_GT(box.Label4->x(), box.Label3->geometry().right());
  EXPECT_GT(box.Label5->x(), box.Label4->geometry().right());

  EXPECT_EQ(box.Panel1->geometry(), QRect(20, 72, 321, 2));
  EXPECT_EQ(box.Edit1->geometry(), QRect(25, 119, 191, 14));
  EXPECT_EQ(box.Edit2->geometry(), QRect(25, 134, 246, 14));
  for (QLineEdit* contact : {box.Edit1, box.Edit2}) {
    EXPECT_FALSE(contact->text().isEmpty());
    EXPECT_TRUE(contact->isReadOnly());
    EXPECT_FALSE(contact->hasFrame());
    EXPECT_EQ(contact->toolTip(), kHint);
    EXPECT_EQ(contact->focusPolicy(), Qt::ClickFocus);
    EXPECT_EQ(contact->palette().color(QPalette::Base), box.palette().color(QPalette::Window));
  }
}

// The box the program makes hidden at its start: its frame only, until it is
// first shown; then the same controls as a box built at once.
TEST(AboutBoxTest, ABoxBuiltWhenShownGetsItsControlsWhenFirstShown) {
  TAboutBox later(nullptr, TAboutBox::Build::kWhenShown);
  EXPECT_FALSE(later.isVisible());
  EXPECT_EQ(later.windowTitle(), "About...");
  EXPECT_EQ(later.size(), QSize(356, 167));
  EXPECT_EQ(later.windowFlags(), TAboutBox().windowFlags());
  EXPECT_EQ(later.btnOK, nullptr);
  EXPECT_TRUE(later.findChildren<QWidget*>().isEmpty());

  ShowAndActivate(later);
  ASSERT_NE(later.btnOK, nullptr);
  EXPECT_EQ(QApplication::focusWidget(), later.btnOK);
  EXPECT_FALSE(later.windowIcon().isNull());
  const TAboutBox now;
  const QList<QWidget*> built = later.findChildren<QWidget*>();
  const QList<QWidget*> expected = now.findChildren<QWidget*>();
  ASSERT_EQ(built.size(), expected.size());
  for (qsizetype i = 0; i < built.size(); ++i) {
    SCOPED_TRACE(expected[i]->objectName().toStdString());
    EXPECT_EQ(built[i]->objectName(), expected[i]->objectName());
    EXPECT_STREQ(built[i]->metaObject()->className(), expected[i]->metaObject()->className());
    EXPECT_EQ(built[i]->geometry(), expected[i]->geometry());
    EXPECT_EQ(built[i]->font(), expected[i]->font());
    EXPECT_EQ(built[i]->palette(), expected[i]->palette());
    EXPECT_EQ(built[i]->toolTip(), expected[i]->toolTip());
    EXPECT_EQ(built[i]->accessibleName(), expected[i]->accessibleName());
    EXPECT_EQ(built[i]->focusPolicy(), expected[i]->focusPolicy());
  }
  for (auto label : {&TAboutBox::Label1, &TAboutBox::Label2, &TAboutBox::Label9,
                     &TAboutBox::Label6, &TAboutBox::Label3, &TAboutBox::Label4,
                     &TAboutBox::Label5}) {
    EXPECT_EQ((later.*label)->text(), (now.*label)->text());
  }
  EXPECT_EQ(later.Image1->pixmap().toImage(), now.Image1->pixmap().toImage());
  EXPECT_EQ(later.Edit1->text(), now.Edit1->text());
  EXPECT_EQ(later.Edit2->text(), now.Edit2->text());

  // Shown again, it keeps the controls it has.
  later.btnOKClick();
  const QPointer<QPushButton> ok = later.btnOK;
  ShowAndActivate(later);
  EXPECT_EQ(later.btnOK, ok.data());
  EXPECT_EQ(later.findChildren<QWidget*>().size(), expected.size());
}

// Our own lines must not be cut off by the boxes they stand in.
TEST(AboutBoxTest, EveryTextFitsItsBox) {
  TAboutBox box;
  for (QLabel* label : {box.Label1, box.Label9, box.Label6, box.Label3, box.Label5}) {
    EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width())
        << label->objectName().toStdString();
  }
  for (QLineEdit* contact : {box.Edit1, box.Edit2}) {
    // The field keeps a couple of pixels of margin on each side.
    EXPECT_LE(QFontMetrics(contact->font()).horizontalAdvance(contact->text()) + 4,
              contact->width())
        << contact->objectName().toStdString();
  }
  EXPECT_LE(box.Label5->geometry().right(), box.width() - 20);
}

TEST(AboutBoxTest, EnterAndOkCloseEscDoesNothing) {
  TAboutBox box;
  ShowAndActivate(box);
  EXPECT_EQ(QApplication::focusWidget(), box.btnOK);

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());

  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), QDialog::Rejected);

  ShowAndActivate(box);
  QTest::mouseClick(box.btnOK, Qt::LeftButton);
  EXPECT_FALSE(box.isVisible());

  // From a contact line, where the user selected text with the mouse.
  ShowAndActivate(box);
  QTest::mouseClick(box.Edit2, Qt::LeftButton);
  ASSERT_EQ(QApplication::focusWidget(), box.Edit2);
  QTest::keyClick(box.Edit2, Qt::Key_Escape);
  EXPECT_TRUE(box.isVisible());
  QTest::keyClick(box.Edit2, Qt::Key_Enter);
  EXPECT_FALSE(box.isVisible());
}

TEST(AboutBoxTest, TabStopsOnlyAtOk) {
  TAboutBox box;
  ShowAndActivate(box);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), box.btnOK);
}

TEST(AboutBoxTest, EveryControlHasANameForScreenReaders) {
  TAboutBox box;
  QStringList names;
  for (QObject* control : std::initializer_list<QObject*>{
           &box, box.btnOK, box.Image1, box.Label2, box.Label9, box.Label6, box.Label3, box.Label4,
           box.Label5, box.Edit1, box.Edit2}) {
    names << QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name);
  }
  EXPECT_EQ(names,
            QStringList({"About...", "OK", "Marrowby Weather icon", "Marrowby Weather Ticker",
                         "Version 1.1", "Local weather, always in view", "Copyright",
                         QString::fromUtf8("\u00A9"), "2026 Tidewell", "E-mail", "Web"}));
  // The contact lines read as their texts.
  EXPECT_EQ(QAccessible::queryAccessibleInterface(box.Edit1)->text(QAccessible::Value),
            box.Edit1->text());
}

TEST(AboutBoxTest, ContactLinesCanBeSelectedAndCopied) {
  TAboutBox box;
  ShowAndActivate(box);
  box.Edit1->setFocus();
  QTest::keyClick(box.Edit1, Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(box.Edit1->selectedText(), box.Edit1->text());
  const QString before = box.Edit1->text();
  QTest::keyClicks(box.Edit1, "xyz");
  QTest::keyClick(box.Edit1, Qt::Key_Backspace);
  EXPECT_EQ(box.Edit1->text(), before);
}

// Two openings in a row, as the menu command makes them: each a fresh box,
// shown modally and centred, the first gone before the second comes.
TEST(AboutBoxTest, TwoOpeningsGiveTwoSeparateCentredBoxes) {
  const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
  std::vector<QPointer<QWidget>> shown;
  std::vector<QString> texts;
  for (int opening = 0; opening < 2; ++opening) {
    auto box = std::make_unique<TAboutBox>();
    QTimer::singleShot(0, box.get(), [&] {
      QWidget* modal = QApplication::activeModalWidget();
      ASSERT_NE(modal, nullptr);
      shown.push_back(modal);
      EXPECT_LE((modal->frameGeometry().center() - centre).manhattanLength(), 2);
      auto* about = qobject_cast<TAboutBox*>(modal);
      ASSERT_NE(about, nullptr);
      texts.push_back(about->Label2->text() + about->Label6->text() + about->Edit1->text() +
                      about->Edit2->text());
      about->move(5, 5);
      QTest::keyClick(about->btnOK, Qt::Key_Return);
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
  TAboutBox box;
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
