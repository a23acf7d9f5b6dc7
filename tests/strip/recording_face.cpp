#include "recording_face.h"

namespace {

bool IsBox(const std::string& call) {
  for (const char* kind : {"error: ", "information: ", "forecast: ", "uncaught: "}) {
    if (call.rfind(kind, 0) == 0) return true;
  }
  return call == "options" || call == "about";
}

}  // namespace

std::vector<std::string> RecordingFace::Boxes() const {
  std::vector<std::string> boxes;
  for (const std::string& call : calls) {
    if (IsBox(call)) boxes.push_back(call);
  }
  return boxes;
}

std::vector<std::string> RecordingFace::Paints() const {
  std::vector<std::string> paints;
  for (const std::string& call : calls) {
    if (call.rfind("paint: ", 0) == 0) paints.push_back(call.substr(7));
  }
  return paints;
}

void RecordingFace::EndMessageLoops() {
  ++end_loops_calls;
  calls.push_back("end loops");
}

void RecordingFace::StepCaption(std::string_view dropped, std::string_view text) {
  caption = text;
  calls.push_back("step: " + std::string(dropped));
}

void RecordingFace::ShowWindow() {
  visible = true;
  calls.push_back("show");
  Paint();
}

void RecordingFace::HideWindow() {
  visible = false;
  calls.push_back("hide");
}

void RecordingFace::SetPanelClientHeight(StripPanel panel, int height) {
  panel_client_heights[Index(panel)] = height;
}

void RecordingFace::SetPanelClientWidth(StripPanel panel, int width) {
  panel_client_widths[Index(panel)] = width;
}

int RecordingFace::PanelHeight(StripPanel panel) const {
  // pnlMain has a one-pixel bevel around its client area.
  return panel_client_heights[Index(panel)] + (panel == StripPanel::pnlMain ? 2 : 0);
}

void RecordingFace::SetPanelColor(StripPanel panel, PaletteColor color) {
  panel_colors[Index(panel)] = color;
}

void RecordingFace::RepaintCaption() { Paint(); }

void RecordingFace::SetStationItem(StationItem item, std::string_view text) {
  station_items[Index(item)] = text;
}

void RecordingFace::StartTimer(StripTimer timer, int interval_ms) {
  running[Index(timer)] = interval_ms;
  ++starts[Index(timer)];
}

void RecordingFace::StopTimer(StripTimer timer) { running[Index(timer)] = 0; }

void RecordingFace::ShowError(std::string_view text) { Box("error: " + std::string(text)); }

void RecordingFace::ShowInformation(std::string_view text) {
  Box("information: " + std::string(text));
}

void RecordingFace::ShowForecast(std::string_view box_title, std::string_view text) {
  Box("forecast: " + std::string(box_title) + " | " + std::string(text));
}

void RecordingFace::ShowUncaughtError(std::string_view box_title, std::string_view message) {
  Box("uncaught: " + std::string(box_title) + " | " + std::string(message));
}

void RecordingFace::RunOptions(TfrmOptions& form) {
  calls.push_back("options");
  if (on_options) on_options(form);
}

void RecordingFace::RunAbout() { Box("about"); }

void RecordingFace::KeepFetching() {
  if (on_keep_fetching) on_keep_fetching();
}

void RecordingFace::Box(std::string box) {
  calls.push_back(box);
  if (on_box) on_box(box);
}

void RecordingFace::Paint() { calls.push_back("paint: " + title + " | " + caption); }
