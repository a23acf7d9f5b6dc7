#include "shell/x11_window.h"

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

xcb_atom_t Atom(xcb_connection_t* c, const char* name) {
  Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr));
  return reply ? reply->atom : XCB_ATOM_NONE;
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
  const auto id = static_cast<xcb_window_t>(window->winId());
  const xcb_atom_t state = Atom(c, "_NET_WM_STATE");
  const xcb_atom_t skip = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  if (state == XCB_ATOM_NONE || skip == XCB_ATOM_NONE) return false;
  std::vector<xcb_atom_t> atoms = NetWmState(c, id, state);
  for (xcb_atom_t a : atoms) {
    if (a == skip) return true;
  }
  atoms.push_back(skip);
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, state, XCB_ATOM_ATOM, 32,
                      static_cast<uint32_t>(atoms.size()), atoms.data());
  xcb_flush(c);
  return true;
}

bool HasSkipTaskbar(QWidget* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window->testAttribute(Qt::WA_WState_Created)) return false;
  const xcb_atom_t skip = Atom(c, "_NET_WM_STATE_SKIP_TASKBAR");
  for (xcb_atom_t a :
       NetWmState(c, static_cast<xcb_window_t>(window->winId()), Atom(c, "_NET_WM_STATE"))) {
    if (a == skip) return true;
  }
  return false;
}

void ClearNativeTitle(QWidget* window) {
  xcb_connection_t* c = Connection();
  if (!c || !window->testAttribute(Qt::WA_WState_Created)) return;
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, static_cast<xcb_window_t>(window->winId()),
                      Atom(c, "_NET_WM_NAME"), Atom(c, "UTF8_STRING"), 8, 0, "");
  xcb_flush(c);
}

void SyncWithDisplay() {
  xcb_connection_t* c = Connection();
  if (!c) return;
  // A round trip: the reply comes only after everything before it was handled.
  Reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
}
