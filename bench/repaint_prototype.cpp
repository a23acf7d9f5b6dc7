// The yardstick for a minute of ticking: a prototype strip that shows the same
// ticker (303 x 33 panel, Arial bold 15 px, yellow on black, sunken bevel) and
// at every step drops the first character and repaints the whole panel, laid
// out and drawn afresh. Started as: repaint_prototype <forecast file> [ms]
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QPainter>
#include <QTimer>

namespace {
class Ticker : public QFrame {
 public:
  explicit Ticker(QString text) : text_(std::move(text)), caption_(text_) {
    setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    setLineWidth(2);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setAutoFillBackground(true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(15);
    font.setBold(true);
    setFont(font);
  }
  void Step() {
    caption_.remove(0, 1);
    if (caption_.isEmpty()) caption_ = text_;
    update();
  }

 protected:
  void paintEvent(QPaintEvent* event) override {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.setClipRect(contentsRect());
    painter.setPen(Qt::yellow);
    painter.drawText(contentsRect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     caption_.left(std::max(128, contentsRect().width() / 2 + 2)));
  }

 private:
  QString text_;
  QString caption_;
};
}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_XCB_NO_MITSHM", "1");  // as the program runs
  QApplication app(argc, argv);
  QFile file(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString());
  QString text = QStringLiteral("Mostly sunny. Highs near 70. ");
  if (file.open(QIODevice::ReadOnly)) text = QString::fromUtf8(file.readAll()).trimmed();
  QWidget window(nullptr, Qt::Tool);
  window.setWindowTitle(QStringLiteral("prototype"));
  window.setGeometry(10, 40, 340, 34);
  auto* ticker = new Ticker(text);
  ticker->setParent(&window);
  ticker->setGeometry(37, 1, 303, 33);
  window.show();
  QTimer timer;
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, ticker, &Ticker::Step);
  timer.start(argc > 2 ? std::atoi(argv[2]) : 150);
  return app.exec();
}
