#include "qt/ui/x11_window.h"

#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QWidget>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace {

struct FreeDeleter {
  void operator()(void* p) const { std::free(p); }
};
template <typename T>
using Reply = std::unique_ptr<T, FreeDeleter>;

xcb_connection_t* Connection() {
  if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  return x11 ? x11->connection() : nullptr;
}

struct Atoms {
  xcb_atom_t net_wm_state = XCB_ATOM_NONE;
  xcb_atom_t skip_taskbar = XCB_ATOM_NONE;
  xcb_atom_t net_wm_name = XCB_ATOM_NONE;
  xcb_atom_t utf8_string = XCB_ATOM_NONE;
};

// The atoms this file uses, asked for together (one round trip) and kept.
const Atoms& KnownAtoms(xcb_connection_t* c) {
  static xcb_connection_t* known_for = nullptr;
  static Atoms atoms;
  if (known_for == c) return atoms;
  const char* names[] = {"_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_NAME",
                         "UTF8_STRING"};
  xcb_intern_atom_cookie_t cookies[4];
  for (int i = 0; i < 4; ++i) {
    cookies[i] = xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(names[i])), names[i]);
  }
  xcb_atom_t* targets[] = {&atoms.net_wm_state, &atoms.skip_taskbar, &atoms.net_wm_name,
                           &atoms.utf8_string};
  for (int i = 0; i < 4; ++i) {
    Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(c, cookies[i], nullptr));
    *targets[i] = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
  }
  known_for = c;
  return atoms;
}

std::vector<xcb_atom_t> NetWmState(xcb_connection_t* c, xcb_window_t window, xcb_atom_t state) {
  std::vector<xcb_atom_t> atoms;
  Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, state, XCB_ATOM_ATOM, 0, 1024), nullptr));
  if (reply && reply->format == 32 && reply->type == XCB_ATOM_ATOM) {
    const auto* data = static_cast<const xcb_atom_t*>(xcb_get_property_value(reply.get()));
    atoms.assign(data, data + xcb_get_property_value_length(reply.get()) / 4);
  }
  return atoms;
}

}  // namespace

bool OnX11() { return Connection() != nullptr; }

bool SetSkipTaskbar(QWidget* window) {
  xcb_connection_t* c = Connection();
  if (!c) return false;
  const Atoms& atoms = KnownAtoms(c);
  if (atoms.net_wm_state == XCB_ATOM_NONE || atoms.skip_taskbar == XCB_ATOM_NONE) return false;
  const auto id = static_cast<xcb_window_t>(window->winId());
  std::vector<xcb_atom_t> states = NetWmState(c, id, atoms.net_wm_state);
  for (xcb_atom_t a : states) {
    if (a == atoms.skip_taskbar) return true;
  }
  states.push_back(atoms.skip_taskbar);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atoms.net_wm_state, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(states.size()), states.data());
  xcb_flush(c);
  return true;
}

void ClearNativeTitle(QWidget* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window->testAttribute(Qt::WA_WState_Created)) return;
  const Atoms& atoms = KnownAtoms(c);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                      atoms.net_wm_name, atoms.utf8_string, 8, 0, "");
  xcb_flush(c);
}

void SyncWithDisplay() {
  xcb_connection_t* c = Connection();
  if (!c) return;
  // A round trip: the reply comes only after everything before it was handled.
  Reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}
