// What only a real X server shows: the titles that reach the window manager.
// Run by x11_test.sh under a virtual X server; on any other platform every
// case is skipped.
#include <xcb/xcb.h>

#include <QAbstractButton>
#include <QApplication>
#include <QBackingStore>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPaintEvent>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "qt/main_window/main_window.h"
#include "qt/main_window/ticker_panel.h"
#include "qt/ui/app_title.h"
#include "qt/ui/message_boxes.h"
#include "qt/ui/x11_window.h"
#include "ticker_texts.h"
#include "window_fixture.h"

namespace {

struct FreeReply {
  void operator()(void* reply) const { std::free(reply); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* Connection() {
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

// The window's _NET_WM_NAME, the title that window managers show, as UTF-8.
std::string NetWmName(QWidget* window) {
  xcb_connection_t* c = Connection();
  const auto atom = [c](const char* name) {
    std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
        xcb_intern_atom_reply(
            c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  };
  std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
      xcb_get_property_reply(c,
                             xcb_get_property(c, 0, static_cast<xcb_window_t>(window->winId()),
                                              atom("_NET_WM_NAME"), atom("UTF8_STRING"), 0, 4096),
                             nullptr),
      &std::free);
  if (!reply) return "<no reply>";
  return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                     static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
}

class X11Test : public WindowTest {
 protected:
  void SetUp() override {
    if (!OnX11()) GTEST_SKIP() << "needs the xcb platform on an X server";
    WindowTest::SetUp();
  }
};

TEST_F(X11Test, TitlesReachTheWindowManagerAsTheyStand) {
  StoreFile("[settings]\nonstart=0\n[weather]\nlast marrowby=\n");
  MainWindow frm;
  frm.frmMain.FormCreate();
  // Qt would put the program's name in place of an empty title.
  EXPECT_EQ(NetWmName(&frm), "");
  frm.SetTitle("Rain [*] & <b>x</b> \xE9");
  EXPECT_EQ(NetWmName(&frm), "Rain [*] & <b>x</b> \xC3\xA9");
  frm.SetTitle("");
  EXPECT_EQ(NetWmName(&frm), "");

  // The taskbar entry mirrors an empty ticker as an empty title.
  QWidget* proxy = TaskbarProxyWindow();
  ASSERT_NE(proxy, nullptr);
  EXPECT_EQ(NetWmName(proxy), "Marrowby Weather");
  frm.frmMain.ScrollInTaskbar = true;
  StartTicker(frm.frmMain, "");
  EXPECT_EQ(NetWmName(proxy), "");

  // So is the forecast box, which is titled with it.
  InstallMessageBoxes(nullptr);
  std::string box_title = "<no box>";
  QTimer::singleShot(0, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (!box) return;
    box_title = NetWmName(box);
    box->buttons().first()->click();
  });
  frm.frmMain.DisplayCompleteForecast1Click();
  EXPECT_EQ(box_title, "");
}

// ---- ticker steps shown by copying on the X server ----

// Counts the events of one type that an object receives.
class EventCount : public QObject {
 public:
  EventCount(QObject* object, QEvent::Type type) : type_(type) { object->installEventFilter(this); }
  int count = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == type_) ++count;
    return false;
  }

 private:
  QEvent::Type type_;
};

class TickerOnX11Test : public X11Test {
 protected:
  void SetUp() override {
    X11Test::SetUp();
    if (IsSkipped()) return;
    StoreFile("[settings]\nonstart=0\n");
    frm_.frmMain.FormCreate();
    ASSERT_TRUE(frm_.isVisible());
    panel_ = frm_.pnlScroll;
  }

  // The panel as the X server shows it, once whatever was asked to repaint
  // is painted and sent.
  QImage OnScreen() {
    QCoreApplication::processEvents();
    SyncWithDisplay();
    const QPoint at = panel_->mapTo(&frm_, QPoint(0, 0));
    return frm_.screen()
        ->grabWindow(frm_.winId(), at.x(), at.y(), panel_->width(), panel_->height())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  // The panel painted whole, from nothing, with the caption it has now.
  QImage FullRepaint() { return panel_->grab().toImage().convertToFormat(QImage::Format_RGB32); }

  // Runs `steps` ticker steps; after each the X server must show what a full
  // repaint shows, and so it must once the panel is uncovered (Qt shows it
  // from the window's backing store then). Returns how many steps painted
  // nothing through Qt (shown by a copy on the server).
  int StepAndCompare(int steps) {
    EventCount paints(panel_, QEvent::Paint);
    int copied = 0;
    for (int step = 0; step < steps; ++step) {
      const int before = paints.count;
      frm_.frmMain.tmrScrollTimer();
      const QImage shown = OnScreen();
      if (paints.count == before) ++copied;
      const QImage full = FullRepaint();
      EXPECT_EQ(shown, full) << "step " << step << ": \"" << panel_->Caption().substr(0, 20)
                             << "\"";
      if (shown != full) return copied;
    }
    EXPECT_TRUE(Uncover()) << "uncovered after " << steps << " steps";
    return copied;
  }

  // Where `window` stands on the screen (its inside), as the X server has it.
  QRect OnServer(QWidget* window) {
    xcb_connection_t* c = Connection();
    const auto id = static_cast<xcb_window_t>(window->winId());
    Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, id), nullptr));
    if (!geometry) return {};
    Reply<xcb_translate_coordinates_reply_t> origin(xcb_translate_coordinates_reply(
        c, xcb_translate_coordinates(c, id, geometry->root, 0, 0), nullptr));
    if (!origin) return {};
    return QRect(origin->dst_x, origin->dst_y, geometry->width, geometry->height);
  }
  QRect PanelOnServer() {
    return QRect(OnServer(&frm_).topLeft() + panel_->mapTo(&frm_, QPoint(0, 0)), panel_->size());
  }

  // The panel uncovered, as when a window over it goes away: a window of
  // another client (magenta) mapped over it and unmapped; the X server
  // leaves the panel as it stood or clears it, and tells the windows under
  // it. Returns whether the screen then comes to show what a full repaint
  // shows.
  bool Uncover() {
    xcb_connection_t* c = Connection();
    const QRect panel = PanelOnServer();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_window_t cover = xcb_generate_id(c);
    const std::uint32_t values[] = {0xFF00FF, 1};  // background, override redirect
    xcb_create_window(c, XCB_COPY_FROM_PARENT, cover, root, static_cast<int16_t>(panel.x()),
                      static_cast<int16_t>(panel.y()), static_cast<uint16_t>(panel.width()),
                      static_cast<uint16_t>(panel.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
                      XCB_COPY_FROM_PARENT, XCB_CW_BACK_PIXEL | XCB_CW_OVERRIDE_REDIRECT, values);
    xcb_map_window(c, cover);
    SyncWithDisplay();
    xcb_destroy_window(c, cover);
    SyncWithDisplay();
    return ProcessEventsUntil([&] { return OnScreen() == FullRepaint(); });
  }

  // Resizes the strip, and waits until the X server has it so (a window
  // manager resizes it in its own time).
  void Resize(int width) {
    frm_.resize(width, frm_.height());
    EXPECT_TRUE(ProcessEventsUntil([&] { return OnServer(&frm_).width() == width; }));
  }

  // Runs a modal dialog as the strip's menu does (`open`), with a wide strip
  // in the middle of the screen, where the dialog comes up centred over part
  // of the ticker. The ticker must show what a full repaint shows where the
  // dialog leaves it uncovered, at each step while the dialog covers it, and
  // all of it after the dialog is closed.
  void RunDialogOverTheTicker(const std::function<void()>& open) {
    frm_.move(frm_.screen()->geometry().center() - QPoint(450, frm_.height() / 2));
    Resize(900);
    // A step copied to the screen, which the window's backing store does not
    // hold, just before the dialog comes (the first steps may be painted,
    // while the window's move and resize come back from the X server).
    bool copied = false;
    for (int step = 0; step < 20 && !copied; ++step) {
      OnScreen();
      EventCount paints(panel_, QEvent::Paint);
      frm_.frmMain.tmrScrollTimer();
      OnScreen();
      copied = paints.count == 0;
    }
    ASSERT_TRUE(copied);
    int runs = 0;
    int covered_steps = 0;
    bool left_shown = true;
    boxes_.on_modal = [&](QDialog& dialog) {
      ++runs;
      QTimer poll;
      poll.callOnTimeout([&] {
        QWindow* handle = dialog.windowHandle();
        if (!handle || !handle->isExposed() || !OnServer(&dialog).intersects(PanelOnServer())) {
          return;
        }
        poll.stop();
        // The part of the ticker left of the dialog (and of a frame that a
        // window manager puts round it).
        const int left = OnServer(&dialog).left() - PanelOnServer().left() - 40;
        const auto left_part = [&](const QImage& image) {
          return image.copy(0, 0, left, image.height());
        };
        left_shown = left_shown && left > 0 && ProcessEventsUntil([&] {
                       return left_part(OnScreen()) == left_part(FullRepaint());
                     });
        if (covered_steps++ < 8) {
          frm_.frmMain.tmrScrollTimer();
          poll.start();
        } else {
          dialog.reject();
        }
      });
      poll.start(20);
      QTimer bound;
      bound.setSingleShot(true);
      QObject::connect(&bound, &QTimer::timeout, &dialog, &QDialog::reject);
      bound.start(10000);
      return dialog.exec();
    };
    open();
    boxes_.on_modal = nullptr;
    ASSERT_EQ(runs, 1);
    ASSERT_GT(covered_steps, 8) << "the dialog never came up over the ticker";
    EXPECT_TRUE(left_shown) << "beside the dialog (or no part of the ticker was beside it)";
    EXPECT_TRUE(ProcessEventsUntil([&] { return OnScreen() == FullRepaint(); }))
        << "uncovered by the dialog";
    // The ticker moves on the screen again.
    const QImage before = OnScreen();
    frm_.frmMain.tmrScrollTimer();
    EXPECT_NE(OnScreen(), before);
    EXPECT_GT(StepAndCompare(60), 45);
  }

  void Start(const std::string& forecast) {
    StartTicker(frm_.frmMain, forecast);
    OnScreen();
  }

  MainWindow frm_;
  TickerPanel* panel_ = nullptr;
};

// windows-1252, with pairs whose glyphs reach into their neighbours' places
// (kerned capitals, f and j, quotes and slashes; no pair the font draws as
// one glyph): "AVAWAY Ty Yo LT f. f' j, r, y. P. V. W. 7/ // “f” ‘j’ ƒ °–"
const std::string kOverhangs1252 =
    "AVAWAY Ty Yo LT f. f' j, r, y. P. V. W. 7/ // \x93"
    "f\x94 \x91j\x92 \x83 70\xB0\x96"
    "75\xB0. ";

TEST_F(TickerOnX11Test, StepsCopiedOnTheServerShowWhatAFullRepaintShows) {
  for (bool bold : {true, false}) {
    for (const std::string* words : {&kOverhangs1252, &kUtf8}) {
      SCOPED_TRACE(std::string(bold ? "bold " : "regular ") +
                   (words == &kUtf8 ? "UTF-8" : "windows-1252"));
      frm_.SetTickerBold(bold);
      Start(Repeated(*words, 600));
      // Most steps are copies on the server, not paints.
      EXPECT_GT(StepAndCompare(300), 250);
    }
  }
}

TEST_F(TickerOnX11Test, CopiedStepsAfterAResizeARefillAndAColourChange) {
  // A forecast shorter than the steps, so the caption is refilled twice.
  Start(Repeated(kOverhangs1252, 120));
  EXPECT_GT(StepAndCompare(130), 90);
  Resize(frm_.width() + 157);
  EXPECT_GT(StepAndCompare(130), 90);
  frm_.SetTickerFontColor(PaletteColor{0x00, 0x80, 0xFF});
  frm_.SetPanelColor(StripPanel::pnlScroll, PaletteColor{0x20, 0x20, 0x60});
  EXPECT_GT(StepAndCompare(130), 90);
  Resize(frm_.width() - 200);
  frm_.SetTickerBold(false);
  Start(Repeated(kUtf8, 200));
  EXPECT_GT(StepAndCompare(230), 160);
}

TEST_F(TickerOnX11Test, CopiedStepsAfterThePanelMovesInTheWindow) {
  // Room to move in, inside the window.
  panel_->resize(panel_->width() - 20, panel_->height());
  Start(Repeated(kOverhangs1252, 400));
  EXPECT_GT(StepAndCompare(40), 30);
  // Moved alone, as a wider picture frame moves it; Qt may move its pixels
  // in the backing store instead of painting them.
  panel_->move(panel_->x() + 13, panel_->y());
  EXPECT_EQ(OnScreen(), FullRepaint());
  EXPECT_GT(StepAndCompare(40), 30);
  panel_->move(panel_->x() - 6, panel_->y());
  EXPECT_EQ(OnScreen(), FullRepaint());
  EXPECT_GT(StepAndCompare(40), 30);
}

// The about box and the options dialog ask for their window ids to centre
// themselves, and Qt then makes every child widget of the strip native: the
// ticker comes to lie in a native window of its frame's.
TEST_F(TickerOnX11Test, CopiedStepsAfterTheAboutBoxAndTheOptionsDialogClose) {
  Start(Repeated(kOverhangs1252, 800));
  EXPECT_GT(StepAndCompare(20), 15);
  RunDialogOverTheTicker([&] { frm_.frmMain.pAboutClick(); });
  RunDialogOverTheTicker([&] { frm_.frmMain.pOptsClick(); });
}

TEST_F(TickerOnX11Test, CopiedStepsAfterTheOptionsDialogCloses) {
  Start(Repeated(kOverhangs1252, 400));
  RunDialogOverTheTicker([&] { frm_.frmMain.pOptsClick(); });
}

}  // namespace
