// A face without a window for the strip's handlers: it keeps what a window
// would show (title, caption, hint, picture, station items, colours, the
// application title, the running timers) and records, in order, every call
// that changes the screen or asks the user something, so a test can check
// both the state a handler leaves and the order of its steps.
//
// Boxes and modal forms return at once; a test acts "inside" one, as the
// box's nested loop would let timers and the user act, through on_box and
// on_options. on_keep_fetching runs each time a fetch waits, as the window
// system's events would.
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "strip/strip_platform.h"

class RecordingFace : public StripPlatform {
 public:
  // --- What the window holds.
  std::string title;
  std::string caption;
  std::string hint;
  std::string ticker_text;
  std::string application_title;
  WindowFrame frame{0, 0, 0};
  // The frame's width was last given as the form's design width
  // (SetFormWidth), which this face applies as it stands.
  bool form_width = false;
  int client_height = 0;
  std::array<int, 3> panel_client_heights{0, 0, 0};  // by StripPanel
  std::array<int, 3> panel_client_widths{0, 0, 0};
  std::array<PaletteColor, 3> panel_colors{};
  bool bold = true;
  PaletteColor font_color{255, 255, 0};
  ConditionPicture picture = ConditionPicture::kUnchanged;  // the initial picture
  std::array<std::string, 2> station_items{"Marrowby", "Wendmoore"};
  bool visible = false;
  // Interval of each running timer, 0 when stopped; how often each was
  // started (a restart counts).
  std::array<int, 3> running{0, 0, 0};
  std::array<int, 3> starts{0, 0, 0};
  int end_loops_calls = 0;
  LocalTime now;
  LastUpdateFormats formats;

  // --- What happened, in order. Boxes: "error: <text>", "information:
  // <text>", "forecast: <title> | <text>", "uncaught: <text>", "options",
  // "about"; paints: "paint: <title> | <caption>" (ShowWindow and
  // RepaintCaption); "step: <dropped>" for a ticker step; "show", "hide",
  // "end loops"; "fetch" and "fetched" around each download.
  std::vector<std::string> calls;
  // The boxes alone, in the same form.
  std::vector<std::string> Boxes() const;
  // The paints alone, as "<title> | <caption>".
  std::vector<std::string> Paints() const;

  // --- Hooks.
  std::function<void(const std::string& box)> on_box;
  std::function<void(TfrmOptions& form)> on_options;
  std::function<void()> on_keep_fetching;

  int Running(StripTimer timer) const { return running[Index(timer)]; }
  int Starts(StripTimer timer) const { return starts[Index(timer)]; }
  PaletteColor PanelColor(StripPanel panel) const { return panel_colors[Index(panel)]; }

  // StripPlatform
  void SetApplicationTitle(std::string_view text) override { application_title = text; }
  void EndMessageLoops() override;
  LocalTime Now() const override { return now; }
  const LastUpdateFormats& DateTimeFormats() const override { return formats; }
  void SetTitle(std::string_view text) override { title = text; }
  void SetHint(std::string_view text) override { hint = text; }
  void SetLeft(int left) override { frame.left = left; }
  void SetTop(int top) override { frame.top = top; }
  void SetWidth(int width) override {
    frame.width = width;
    form_width = false;
  }
  void SetFormWidth(int width) override {
    frame.width = width;
    form_width = true;
  }
  void SetClientHeight(int height) override { client_height = height; }
  WindowFrame Frame() const override { return frame; }
  void ShowWindow() override;
  void HideWindow() override;
  void SetPanelClientHeight(StripPanel panel, int height) override;
  void SetPanelClientWidth(StripPanel panel, int width) override;
  int PanelHeight(StripPanel panel) const override;
  void SetPanelColor(StripPanel panel, PaletteColor color) override;
  void SetCaption(std::string_view text) override { caption = text; }
  void StepCaption(std::string_view dropped, std::string_view text) override;
  void RepaintCaption() override;
  void SetTickerText(std::string_view forecast) override { ticker_text = forecast; }
  void SetTickerBold(bool on) override { bold = on; }
  void SetTickerFontColor(PaletteColor color) override { font_color = color; }
  void SetCurrentPicture(ConditionPicture shown) override { picture = shown; }
  void SetStationItem(StationItem item, std::string_view text) override;
  void StartTimer(StripTimer timer, int interval_ms) override;
  void StopTimer(StripTimer timer) override;
  void ShowError(std::string_view text) override;
  void ShowInformation(std::string_view text) override;
  void ShowForecast(std::string_view box_title, std::string_view text) override;
  void ShowUncaughtError(std::string_view box_title, std::string_view message) override;
  void RunOptions(TfrmOptions& form) override;
  void RunAbout() override;
  void FetchStarts() override { calls.push_back("fetch"); }
  void KeepFetching() override;
  void FetchEnds() override { calls.push_back("fetched"); }

 private:
  template <class E>
  static std::size_t Index(E e) {
    return static_cast<std::size_t>(e);
  }
  void Box(std::string box);
  void Paint();
};
