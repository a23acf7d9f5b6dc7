// What only a real X server shows: the titles that reach the window manager.
// Run by x11_test.sh under a virtual X server; on any other platform every
// case is skipped.
#include <xcb/xcb.h>

#include <QAbstractButton>
#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QTimer>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "qt/strip/ticker_panel.h"
#include "qt/strip/strip_window.h"
#include "window_fixture.h"
#include "qt/ui/app_title.h"
#include "qt/ui/message_boxes.h"
#include "qt/ui/x11_window.h"

namespace {

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
  TStripWindow frm;
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
  frm.frmMain.ForecastText.clear();
  frm.pnlScroll->SetCaption("");
  frm.frmMain.tmrScrollTimer();
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

}  // namespace
