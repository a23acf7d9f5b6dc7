// The recording face under the conformance suite: it shows what it was told
// by keeping it, its timers tick in simulated time, its menu is the table as
// given, and it has no forms.
#include <algorithm>

#include "face_conformance.h"
#include "recording_face.h"

namespace {

class RecordingProbe : public FaceProbe {
 public:
  StripPlatform& Platform() override { return face_; }
  TfrmMain& Form() override { return frm_; }

  bool RunUntil(const std::function<bool()>& done, int limit_ms) override {
    // A millisecond at a time, each running timer ticking at its period.
    for (int ms = 1; ms <= limit_ms; ++ms) {
      if (done()) return true;
      for (StripTimer timer :
           {StripTimer::tmrScroll, StripTimer::tmrUpdate, StripTimer::tmrTitleSwitch}) {
        const int interval = face_.Running(timer);
        if (interval > 0 && ms % interval == 0) frm_.TimerTick(timer);
      }
    }
    return done();
  }

  std::string ShownTitle() override { return face_.title; }
  std::string ShownApplicationTitle() override { return face_.application_title; }
  std::string ShownHint() override { return face_.hint; }
  std::string ShownCaption() override {
    return face_.caption.substr(
        0, static_cast<std::size_t>(ShownCaptionCharacters(face_.frame.width)));
  }
  std::string ShownTickerText() override { return face_.ticker_text; }
  bool Visible() override { return face_.visible; }
  int ClientHeight() override { return face_.client_height; }
  int Dpi() override { return 96; }
  PaletteColor ShownPanelColor(StripPanel panel) override { return face_.PanelColor(panel); }
  PaletteColor ShownTickerFontColor() override { return face_.font_color; }
  bool ShownTickerBold() override { return face_.bold; }
  std::string ShownPictureName() override { return std::string(SpokenPictureName(face_.picture)); }
  std::string ShownStationItem(StationItem item) override {
    return face_.station_items[static_cast<std::size_t>(item)];
  }

  std::vector<ShownMenuItem> ShownMenu() override {
    std::vector<ShownMenuItem> items;
    for (const MenuItem& item : kPopupMenu) {
      items.push_back({std::string(item.caption), item.visible});
    }
    return items;
  }
  void ChooseMenuItem(std::string_view name) override {
    const auto item = std::find_if(kPopupMenu.begin(), kPopupMenu.end(),
                                   [&](const MenuItem& i) { return i.name == name; });
    if (item != kPopupMenu.end()) frm_.MenuClick(item->command);
  }

  std::vector<std::string> Boxes() override {
    std::vector<std::string> boxes;
    for (const std::string& box : face_.Boxes()) {
      if (box != "options" && box != "about") boxes.push_back(box);
    }
    return boxes;
  }
  std::vector<std::string> BoxTitles() override {
    return {std::string(kErrorBoxTitle), std::string(kInformationBoxTitle)};
  }

  bool HasForms() override { return false; }
  void OpenOptions(TfrmOptions&,
                   const std::function<void(const ShownForm&, const PressButton&)>&) override {}
  void OpenAbout(const std::function<void(const ShownForm&, const PressButton&)>&) override {}

 private:
  RecordingFace face_;
  TfrmMain frm_{face_, ProgramEnvironment()};
};

}  // namespace

std::unique_ptr<FaceProbe> MakeFaceProbe() { return std::make_unique<RecordingProbe>(); }
