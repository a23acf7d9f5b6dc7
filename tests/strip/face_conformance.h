// The contract every face keeps: one test source (face_conformance_test.cpp)
// compiled against each implementation of the platform operations — the
// recording face, the Qt face and the Win32 face — so each proves it shows
// what the strip tells it to show, builds its forms and menu from the
// strip's tables, and routes the user's commands back to the strip.
//
// Each face's test program defines MakeFaceProbe(). A probe makes the face
// with its window (hidden until shown) and its TfrmMain, and reads back what
// the window shows as the window system holds it: the title as the frame
// has it, the ticker's text as it is drawn, the menu as it would open, the
// forms as they stand while open. Texts are bytes, as the strip gave them.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "strip/form_design.h"
#include "strip/main_form.h"
#include "strip/strip_platform.h"

// A control of an open form as it stands.
struct ShownControl {
  std::string name;
  ControlKind kind{};
  std::string caption;  // as its caption says it, "&" before the access letter
  FormPlace place;      // in the form's units, in its parent's client coordinates
  std::string parent;   // "" the form
  std::string tool_tip;
  std::string accessible_name;  // "" where the caption names it
  bool tab_stop = false;
  bool default_button = false;
  bool cancel_button = false;
};

// An open form as it stands: its caption, client size (form units) and its
// controls in keyboard order (those with a tab stop first to last; the
// others in the order the face made them).
struct ShownForm {
  std::string caption;
  int client_width = 0;
  int client_height = 0;
  std::vector<ShownControl> controls;
};

// A menu item as the menu would show it.
struct ShownMenuItem {
  std::string caption;  // "-" for a separator
  bool visible = true;
};

class FaceProbe {
 public:
  virtual ~FaceProbe() = default;

  virtual StripPlatform& Platform() = 0;
  virtual TfrmMain& Form() = 0;

  // Lets the window system run until `done` says so, at most `limit_ms`
  // milliseconds; returns what `done` said last. Timers fire, paints and
  // posted events are delivered.
  virtual bool RunUntil(const std::function<bool()>& done, int limit_ms) = 0;

  // --- What the window shows.
  virtual std::string ShownTitle() = 0;
  virtual std::string ShownApplicationTitle() = 0;
  virtual std::string ShownHint() = 0;
  // What the ticker draws from its left edge: the part of its caption it
  // lays out (ShownCaptionCharacters of the ticker's width, or all).
  virtual std::string ShownCaption() = 0;
  // The ticker's text for screen readers: the whole forecast.
  virtual std::string ShownTickerText() = 0;
  virtual bool Visible() = 0;
  // The client height in the window's pixels.
  virtual int ClientHeight() = 0;
  // The window's pixels per form unit times 96 (its DPI).
  virtual int Dpi() = 0;
  virtual PaletteColor ShownPanelColor(StripPanel panel) = 0;
  virtual PaletteColor ShownTickerFontColor() = 0;
  virtual bool ShownTickerBold() = 0;
  // imgCurrent's name for screen readers.
  virtual std::string ShownPictureName() = 0;
  virtual std::string ShownStationItem(StationItem item) = 0;

  // --- The popup menu: its items in order (a window system without hidden
  // items leaves the hidden ones out), and choosing one as the user would.
  virtual std::vector<ShownMenuItem> ShownMenu() = 0;
  virtual void ChooseMenuItem(std::string_view name) = 0;

  // --- Boxes, as the face's box seam saw them, in order: "error: <text>",
  // "information: <text>", "forecast: <title> | <text>", "uncaught: <title>
  // | <text>" (the texts as bytes), and the box titles the face gave the
  // error and information boxes in `box_titles`.
  virtual std::vector<std::string> Boxes() = 0;
  virtual std::vector<std::string> BoxTitles() = 0;

  // --- Forms. Whether the face has real forms (the recording face has
  // none). OpenOptions runs RunOptions on `form` and, while the dialog is
  // open, calls `inside` with what it shows and a way to press a button by
  // name; the dialog closes after `inside` unless a press closed it.
  virtual bool HasForms() = 0;
  using PressButton = std::function<void(std::string_view name)>;
  virtual void OpenOptions(
      TfrmOptions& form,
      const std::function<void(const ShownForm&, const PressButton&)>& inside) = 0;
  virtual void OpenAbout(
      const std::function<void(const ShownForm&, const PressButton&)>& inside) = 0;
};

// Defined by each face's test program.
std::unique_ptr<FaceProbe> MakeFaceProbe();
