// What the program's windows look like, as data: the popup menu, the options
// dialog and the about box with their controls, the strip's design sizes,
// the names screen readers give the pictures, and the texts of the boxes.
// Every window system builds its widgets from these tables and draws them;
// none writes a caption, place, font, tool tip or accessible name of its own.
//
// Places and sizes are in the form's units: pixels at 96 dots per inch, in
// the client coordinates of the control's parent. A window system scales
// them to its screen. A font is named by its face; where a window system
// lacks that face it draws the face's stand-in, which it names itself.
//
// Captions, tool tips and names are bytes in the program's single-byte code
// page and shown as plain text; in a caption "&" marks the access letter
// that follows it ("&&" is an "&"), and nowhere else.
#pragma once

#include <span>
#include <string_view>

#include "store/palette.h"
#include "weather/condition_picture.h"

// The application's title: the text of its taskbar entry, unless the ticker
// is mirrored there.
inline constexpr char kApplicationTitle[] = "Marrowby Weather";

// A place in a form. A width or height of 0 is the text's own: a label as
// wide and as high as its caption in its font.
struct FormPlace {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const FormPlace&, const FormPlace&) = default;
};

// A font: face, character height (without internal leading) in pixels at
// 96 dpi, weight, and the colour of the text drawn in it.
struct FormFont {
  std::string_view face{};
  int pixel_height = 0;
  bool bold = false;
  PaletteColor color{0, 0, 0};
};

inline constexpr PaletteColor kBlack{0, 0, 0};
inline constexpr PaletteColor kNavy{0, 0, 128};
inline constexpr PaletteColor kGray{128, 128, 128};
inline constexpr PaletteColor kYellow{255, 255, 0};

enum class ControlKind {
  kPanel,      // a plate with a raised inner and a lowered outer bevel
  kSeparator,  // a horizontal groove: a lowered bevel two pixels high
  kLabel,      // text that takes no input
  kTrackBar,   // horizontal, no tick marks
  kCheckBox,
  kColorGrid,  // TColorGrid
  kButton,
  kPicture,   // the program's icon
  kTextLine,  // a read-only line the user can select and copy, drawn on the face
};

// How a control behaves beyond its kind.
enum ControlFlag : unsigned {
  kTabStop = 1 << 0,        // in the keyboard order (the order of the table)
  kDefaultButton = 1 << 1,  // Enter presses it
  kCancelButton = 1 << 2,   // Esc presses it
  kCentred = 1 << 3,        // its text centred in its place
  kAfterPrevious = 1 << 4,  // on the previous control's line, one blank after it
  kShadow = 1 << 5,         // drawn under the next control, as its shadow
};

struct FormControl {
  std::string_view name{};  // the component's name
  ControlKind kind{};
  FormPlace place{};
  std::string_view caption{};
  std::string_view parent{};       // empty: the form itself
  const FormFont* font = nullptr;  // nullptr: the form's
  std::string_view tool_tip{};     // lines break at '\n'
  // What screen readers call the control, where its caption does not say
  // it (or it has none), and what they add to describe it.
  std::string_view accessible_name{};
  std::string_view accessible_description{};
  unsigned flags = 0;

  bool Has(ControlFlag flag) const { return (flags & flag) != 0; }
};

enum class FormFrame {
  kDialog,      // a fixed single border, the system menu and the close box only
  kToolWindow,  // a small fixed title bar without buttons
};

struct FormDesign {
  std::string_view name;
  std::string_view caption;
  int client_width;
  int client_height;
  FormFrame frame;
  FormFont font;
  // Made in this order, which is the keyboard order of those with kTabStop;
  // a label stands just before the control it names.
  std::span<const FormControl> controls;

  // The control named `name`; raises std::out_of_range when there is none.
  const FormControl& Control(std::string_view name) const;
};

// The options dialog (TfrmOptions) and the about box (TfrmAbout). Both are
// centred on the screen each time they are shown.
extern const FormDesign kOptionsDesign;
extern const FormDesign kAboutDesign;

// The options dialog's track bar: the ticker's step interval in
// milliseconds, so its left end, the shortest interval, is the fastest
// ticker; the arrow keys move it by kLineStep, the page keys by kPageStep.
struct TrackBarDesign {
  int min;
  int max;
  int line_step;
  int page_step;
};
inline constexpr TrackBarDesign kScrollTrackBar{1, 300, 1, 2};

// The popup menu, opened by a right click anywhere on the strip (and from
// the keyboard). A window system without hidden items leaves the hidden
// ones out.
enum class MenuCommand { kNone, kForecast, kUpdate, kOptions, kAbout, kExit };
struct MenuItem {
  std::string_view name{};
  std::string_view caption{};  // "-": a separator line
  MenuCommand command = MenuCommand::kNone;
  bool visible = true;

  bool Separator() const { return caption == "-"; }
};
// In the order the menu shows its items.
extern const std::span<const MenuItem> kPopupMenu;
// The menu's name for screen readers.
extern const std::string_view kPopupMenuName;

// The main window's design: the strip is a thin horizontal window, the
// picture's frame at its left and the ticker to its right.
struct StripDesign {
  int width;                 // the window's width before anything is stored
  int client_height;         // before the form sets the strip's height
  int strip_client_height;   // pnlMain's client height, set by FormCreate
  int picture_frame_size;    // pnlImage's client width and height
  int ticker_gap;            // between the picture's frame and the ticker
  int picture_size;          // imgCurrent and the stock pictures
  int initial_picture_size;  // imgCurrent's picture until a first choice
  FormFont window_font;
  FormFont ticker_font;      // replaced by the display settings at start
  PaletteColor panel_color;  // pnlImage's and pnlScroll's, idem
  // The stock pictures lie below the strip, where the client area never
  // reaches: sun, rain, snow, cloud from left to right at this height.
  int stock_pictures_top;
  int stock_picture_lefts[4];  // sun, rain, snow, cloud
};
extern const StripDesign kStripDesign;

// The ticker's and the picture's texts for screen readers and hints.
extern const std::string_view kTickerName;         // the ticker's accessible name
extern const std::string_view kNewForecastNotice;  // said once of a new forecast
extern const std::string_view kPictureHint;        // imgCurrent's hint
// What screen readers call the picture: the weather it shows; kUnchanged is
// the initial picture.
std::string_view SpokenPictureName(ConditionPicture picture);
// The hidden station items' captions before a first update.
extern const std::string_view kStationItemCaptions[2];

// The boxes: titles and the one button's caption.
extern const std::string_view kErrorBoxTitle;
extern const std::string_view kInformationBoxTitle;
extern const std::string_view kOkCaption;

// The colour grid's texts for screen readers: the marks a cell carries.
extern const std::string_view kForegroundMark;
extern const std::string_view kBackgroundMark;
extern const std::string_view kBothMarks;

// How many characters of the ticker's caption a window system lays out and
// draws for a ticker `width_px` pixels wide: enough to overfill it (no
// glyph of a readable font is narrower than two pixels), and at least 128,
// so that a step costs the same for a short forecast and a very long one.
int ShownCaptionCharacters(int width_px);
