#include "qt/about/about_box.h"

#include <QFontInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRawFont>
#include <algorithm>

#include "pictures.h"
#include "qt/ui/controls.h"
#include "qt/ui/edge.h"
#include "qt/ui/fonts.h"
#include "qt/ui/message_boxes.h"
#include "strip/about_texts.h"

namespace {

const QColor kNavy(0, 0, 128);
const QColor kGray(128, 128, 128);
const QColor kBlack(0, 0, 0);

const QString kContactHint = QString::fromLatin1(kAboutContactHint);

// A horizontal groove: the lowered edge of a panel two pixels high.
class TSeparator : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    DrawEdge(painter, rect(), palette().color(QPalette::Dark), palette().color(QPalette::Light));
  }
};

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, const QFont& font,
                  const QColor& colour, Qt::Alignment alignment) {
  auto* label = MakePlainLabel(parent, name, text);
  label->setFont(font);
  label->setAlignment(alignment | Qt::AlignTop);
  QPalette pal = label->palette();
  pal.setColor(QPalette::WindowText, colour);
  label->setPalette(pal);
  return label;
}

QLineEdit* MakeContactLine(QWidget* parent, const char* name, const QString& text, QRect geometry) {
  auto* edit = MakeNamed<QLineEdit>(parent, name, text);
  edit->setReadOnly(true);
  edit->setFrame(false);
  // Selectable with the mouse, but Tab passes it by.
  edit->setFocusPolicy(Qt::ClickFocus);
  edit->setToolTip(kContactHint);
  QPalette pal = edit->palette();
  pal.setColor(QPalette::Base, pal.color(QPalette::Window));
  edit->setPalette(pal);
  edit->setGeometry(geometry);
  edit->setCursorPosition(0);
  return edit;
}

// The copyright sign in a symbol font. Standard Symbols PS, the free font
// with the classic Symbol font's metrics, keeps that font's own encoding: its
// characters sit at the codes 0x20..0xFF (0xE3 is the sans-serif copyright
// sign, 0xA9 a heart), and it has no Unicode Greek. Where it cannot be had so,
// the sign is the ordinary one in the label's text font.
void ShowCopyrightSign(QLabel& label, const QFont& text_font) {
  const QString sign(QChar(0x00A9));
  const QFont symbol = PixelFont(QStringLiteral("Standard Symbols PS"), text_font.pixelSize());
  const QRawFont raw = QRawFont::fromFont(symbol);
  const bool symbol_encoded =
      QFontInfo(symbol).family().startsWith(QLatin1String("Standard Symbols PS")) &&
      raw.supportsCharacter(char32_t{0xE3}) && !raw.supportsCharacter(char32_t{0x03B1});
  if (symbol_encoded) {
    label.setFont(symbol);
    label.setText(QString(QChar(0x00E3)));
  } else {
    label.setFont(text_font);
    label.setText(sign);
  }
  label.setAccessibleName(sign);
}

}  // namespace

TAboutBox::TAboutBox(QWidget* parent, Build build) : QDialog(parent) {
  setObjectName(QStringLiteral("frmAbout"));
  setWindowTitle(QString::fromLatin1(kAboutCaption));
  // A small fixed title bar without buttons: only "OK" and Enter close it.
  setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFont(ArialFont(11));
  setFixedSize(356, 167);
  if (build == Build::kNow) BuildControls();
}

void TAboutBox::BuildControls() {
  setWindowIcon(PictureIcon(QStringLiteral("marrowby-weather")));

  btnOK = MakeButton(this, "btnOK", QStringLiteral("OK"), QRect(290, 16, 55, 23));
  btnOK->setFont(ArialFont(11, true));
  btnOK->setDefault(true);
  connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(20, 15, 32, 32);
  Image1->setPixmap(
      PictureIcon(QStringLiteral("marrowby-weather")).pixmap(QSize(32, 32), devicePixelRatioF()));
  Image1->setAccessibleName(QStringLiteral("Marrowby Weather icon"));

  const QString title = QString::fromLatin1(kAboutProduct);
  // The navy title over its grey shadow, one pixel left and two up from it;
  // both are laid out alike so that the offset holds whatever the text's width.
  // The title grows to the right where it is wider than its place.
  const int title_width = std::max(204, QFontMetrics(ArialFont(19)).horizontalAdvance(title));
  Label1 = MakeLabel(this, "Label1", title, ArialFont(19), kGray, Qt::AlignHCenter);
  Label1->setGeometry(65, 16, title_width, 22);
  Label2 = MakeLabel(this, "Label2", title, ArialFont(19), kNavy, Qt::AlignHCenter);
  Label2->setGeometry(64, 14, title_width, 22);

  Label9 = MakeLabel(this, "Label9", QString::fromLatin1(kAboutVersion), ArialFont(11), kBlack,
                     Qt::AlignHCenter);
  Label9->setGeometry(66, 39, 56, 14);

  Label6 = MakeLabel(this, "Label6", QString::fromLatin1(kAboutDescription), ArialFont(11),
                     kNavy, Qt::AlignHCenter);
  Label6->setGeometry(26, 88, 146, 14);

  // The copyright line in three pieces, each as wide as its text and one
  // blank apart.
  Label3 =
      MakeLabel(this, "Label3", QString::fromLatin1(kAboutCopyrightWord), ArialFont(11), kBlack, Qt::AlignLeft);
  Label4 = MakeLabel(this, "Label4", QString(), ArialFont(11), kBlack, Qt::AlignLeft);
  ShowCopyrightSign(*Label4, ArialFont(11));
  Label5 = MakeLabel(this, "Label5", QString::fromLatin1(kAboutCopyrightHolder), ArialFont(11), kBlack,
                     Qt::AlignLeft);
  const int blank = QFontMetrics(ArialFont(11)).horizontalAdvance(QLatin1Char(' '));
  int left = 26;
  for (QLabel* piece : {Label3, Label4, Label5}) {
    piece->adjustSize();
    piece->move(left, 103);
    left += piece->width() + blank;
  }

  Edit1 = MakeContactLine(this, "Edit1", QString::fromLatin1(kAboutEmail),
                          QRect(25, 119, 191, 14));
  Edit1->setAccessibleName(QStringLiteral("E-mail"));

  Panel1 = new TSeparator(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setGeometry(20, 72, 321, 2);

  Edit2 = MakeContactLine(this, "Edit2", QString::fromLatin1(kAboutWeb),
                          QRect(25, 134, 246, 14));
  Edit2->setAccessibleName(QStringLiteral("Web"));

  btnOK->setFocus();
}

void TAboutBox::btnOKClick() { close(); }

void TAboutBox::setVisible(bool visible) {
  if (visible && !btnOK) BuildControls();
  if (visible && !isVisible()) CentreOnScreen(*this);
  QDialog::setVisible(visible);
}

void TAboutBox::keyPressEvent(QKeyEvent* event) {
  // Without a cancel button Esc has nothing to press.
  if (event->key() == Qt::Key_Escape || event->matches(QKeySequence::Cancel)) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}
