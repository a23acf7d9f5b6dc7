// The program's forms as data, and every text they show.
#include "strip/form_design.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

#include "strip/version.h"

namespace {

constexpr FormFont kMsSansSerif{"MS Sans Serif", 11};
constexpr FormFont kArial{"Arial", 11};
constexpr FormFont kArialNavy{"Arial", 11, false, kNavy};
constexpr FormFont kArialBold{"Arial", 11, true};
constexpr FormFont kTitleShadow{"Arial", 19, false, kGray};
constexpr FormFont kTitle{"Arial", 19, false, kNavy};
// The copyright sign is drawn in a symbol font, as the classic dialog did.
constexpr FormFont kSymbol{"Symbol", 11};

constexpr char kContactHint[] = "You can select this text and hit CTRL-C to copy it";
constexpr char kProductName[] = "Marrowby Weather Ticker";
constexpr char kOk[] = "OK";

// Keyboard order; each label stands just before the control it names,
// which is where screen readers look for a control's name.
constexpr std::array kOptionsControls{
    FormControl{.name = "Panel1", .kind = ControlKind::kPanel, .place = {4, 4, 227, 182}},
    FormControl{.name = "Label1",
                .kind = ControlKind::kLabel,
                .place = {8, 13},
                .caption = "Scroll Faster",
                .parent = "Panel1"},
    FormControl{
        .name = "tbScroll",
        .kind = ControlKind::kTrackBar,
        .place = {70, 15, 96, 17},
        .parent = "Panel1",
        .tool_tip = "Controls speed of scrolling text",
        .accessible_name = "Scroll speed",
        .accessible_description = "Controls speed of scrolling text: left faster, right slower",
        .flags = kTabStop},
    FormControl{.name = "Label2",
                .kind = ControlKind::kLabel,
                .place = {170, 13},
                .caption = "Slower",
                .parent = "Panel1"},
    FormControl{.name = "chkBold",
                .kind = ControlKind::kCheckBox,
                .place = {120, 47, 76, 17},
                .caption = "&Bold Font",
                .parent = "Panel1",
                .tool_tip = "Toggles bold or normal font in forecast window",
                .flags = kTabStop},
    FormControl{.name = "Label3",
                .kind = ControlKind::kLabel,
                .place = {8, 47},
                .caption = "Color Scheme:",
                .parent = "Panel1"},
    // The grid takes the keyboard as well: arrow keys, F or Space, B.
    FormControl{.name = "cGrid",
                .kind = ControlKind::kColorGrid,
                .place = {8, 65, 176, 40},
                .parent = "Panel1",
                .tool_tip = "Left Click to select Foreground, Right Click to select background\n"
                            "Keyboard: arrow keys move, F or Space selects Foreground, "
                            "B background",
                .accessible_name = "Color Scheme:",
                .flags = kTabStop},
    FormControl{.name = "chkShowTask",
                .kind = ControlKind::kCheckBox,
                .place = {9, 115, 202, 19},
                .caption = "&Scroll Forecast in Task Bar",
                .parent = "Panel1",
                .tool_tip = "Toggle scrolling of forecast in taskbar button",
                .flags = kTabStop},
    FormControl{.name = "chkOnStart",
                .kind = ControlKind::kCheckBox,
                .place = {9, 135, 202, 19},
                .caption = "&Update on Startup",
                .parent = "Panel1",
                .tool_tip = "Toggles auto-update upon startup",
                .flags = kTabStop},
    FormControl{.name = "chkAltSite",
                .kind = ControlKind::kCheckBox,
                .place = {9, 155, 202, 19},
                .caption = "Use &alternate data source",
                .parent = "Panel1",
                .tool_tip = "Check this if the current source is slow or times out",
                .flags = kTabStop},
    FormControl{.name = "btnOk",
                .kind = ControlKind::kButton,
                .place = {105, 198, 62, 25},
                .caption = kOk,
                .flags = kTabStop | kDefaultButton},
    FormControl{.name = "btnCancel",
                .kind = ControlKind::kButton,
                .place = {170, 198, 62, 25},
                .caption = "Cancel",
                .flags = kTabStop | kCancelButton},
};

constexpr std::array kAboutControls{
    FormControl{.name = "btnOK",
                .kind = ControlKind::kButton,
                .place = {290, 16, 55, 23},
                .caption = kOk,
                .font = &kArialBold,
                .flags = kTabStop | kDefaultButton},
    FormControl{.name = "Image1",
                .kind = ControlKind::kPicture,
                .place = {20, 15, 32, 32},
                .accessible_name = "Marrowby Weather icon"},
    // The navy name over its grey shadow, one pixel right and two down. The
    // name grows to the right where it is wider than its place.
    FormControl{.name = "Label1",
                .kind = ControlKind::kLabel,
                .place = {65, 16, 204, 22},
                .caption = kProductName,
                .font = &kTitleShadow,
                .flags = kCentred | kShadow},
    FormControl{.name = "Label2",
                .kind = ControlKind::kLabel,
                .place = {64, 14, 204, 22},
                .caption = kProductName,
                .font = &kTitle,
                .flags = kCentred},
    FormControl{.name = "Label9",
                .kind = ControlKind::kLabel,
                .place = {66, 39, 56, 14},
                .caption = "Version " MW_VERSION,
                .font = &kArial,
                .flags = kCentred},
    FormControl{.name = "Panel1", .kind = ControlKind::kSeparator, .place = {20, 72, 321, 2}},
    FormControl{.name = "Label6",
                .kind = ControlKind::kLabel,
                .place = {26, 88, 146, 14},
                .caption = "Local weather, always in view",
                .font = &kArialNavy,
                .flags = kCentred},
    // The copyright line in three pieces, each as wide as its text.
    FormControl{.name = "Label3",
                .kind = ControlKind::kLabel,
                .place = {26, 103},
                .caption = "Copyright",
                .font = &kArial},
    FormControl{.name = "Label4",
                .kind = ControlKind::kLabel,
                .place = {0, 103},
                .caption = "\xA9",
                .font = &kSymbol,
                .flags = kAfterPrevious},
    FormControl{.name = "Label5",
                .kind = ControlKind::kLabel,
                .place = {0, 103},
                .caption = "2026 Tidewell",
                .font = &kArial,
                .flags = kAfterPrevious},
    FormControl{.name = "Edit1",
                .kind = ControlKind::kTextLine,
                .place = {25, 119, 191, 14},
                .caption = "E-mail: weather@tidewell.example",
                .tool_tip = kContactHint,
                .accessible_name = "E-mail"},
    FormControl{.name = "Edit2",
                .kind = ControlKind::kTextLine,
                .place = {25, 134, 246, 14},
                .caption = "Web: https://tidewell.example/marrowby",
                .tool_tip = kContactHint,
                .accessible_name = "Web"},
};

constexpr std::array kMenuItems{
    MenuItem{"pMRB", "Marrowby", MenuCommand::kNone, false},
    MenuItem{"pWDM", "Wendmoore", MenuCommand::kNone, false},
    MenuItem{"DisplayCompleteForecast1", "&Forecast", MenuCommand::kForecast},
    MenuItem{"pShowForecast", "-"},
    MenuItem{"pUpdate", "&Update Now", MenuCommand::kUpdate},
    MenuItem{"pOptions", "&Options", MenuCommand::kOptions},
    MenuItem{"pAbout", "&About...", MenuCommand::kAbout},
    MenuItem{"", "-"},
    MenuItem{"pExit", "E&xit", MenuCommand::kExit},
};

}  // namespace

const FormControl& FormDesign::Control(std::string_view control_name) const {
  const auto found = std::find_if(controls.begin(), controls.end(),
                                  [&](const FormControl& c) { return c.name == control_name; });
  if (found == controls.end()) {
    throw std::out_of_range("no control " + std::string(control_name) + " in " + std::string(name));
  }
  return *found;
}

const FormDesign kOptionsDesign{"frmOptions", "Options",       237, 231, FormFrame::kDialog,
                                kMsSansSerif, kOptionsControls};
const FormDesign kAboutDesign{"frmAbout",   "About...",    356, 167, FormFrame::kToolWindow,
                              kMsSansSerif, kAboutControls};

const std::span<const MenuItem> kPopupMenu{kMenuItems};
const std::string_view kPopupMenuName = kApplicationTitle;

const StripDesign kStripDesign{
    .width = 340,
    .client_height = 34,
    .strip_client_height = 33,
    .picture_frame_size = 32,
    .ticker_gap = 2,
    .picture_size = 32,
    .initial_picture_size = 24,
    .window_font = kMsSansSerif,
    .ticker_font = {"Arial", 15, true, kYellow},
    .panel_color = kBlack,
    .stock_pictures_top = 48,
    .stock_picture_lefts = {8, 48, 88, 128},
};

const std::string_view kTickerName = "Forecast";
const std::string_view kNewForecastNotice = "New forecast";
const std::string_view kPictureHint = "Current Marrowby Weather";
const std::string_view kStationItemCaptions[2] = {kMenuItems[0].caption, kMenuItems[1].caption};

std::string_view SpokenPictureName(ConditionPicture picture) {
  switch (picture) {
    case ConditionPicture::kSun:
      return "Sun";
    case ConditionPicture::kCloud:
      return "Cloud";
    case ConditionPicture::kRain:
      return "Rain";
    case ConditionPicture::kSnow:
      return "Snow";
    case ConditionPicture::kUnchanged:
      break;
  }
  return "Weather not yet known";
}

const std::string_view kErrorBoxTitle = "Error";
const std::string_view kInformationBoxTitle = "Information";
const std::string_view kOkCaption = kOk;

const std::string_view kForegroundMark = "Foreground";
const std::string_view kBackgroundMark = "Background";
const std::string_view kBothMarks = "Foreground and background";

int ShownCaptionCharacters(int width_px) { return std::max(128, width_px / 2 + 2); }
