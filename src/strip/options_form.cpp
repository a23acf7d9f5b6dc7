#include "strip/options_form.h"

#include <algorithm>

#include "store/stored_entries.h"

namespace {

constexpr std::string_view kColorNames[kPaletteSize] = {
    "Black", "Maroon", "Green", "Olive",  "Navy", "Purple",  "Teal", "Silver",
    "Gray",  "Red",    "Lime",  "Yellow", "Blue", "Fuchsia", "Aqua", "White",
};

std::uint8_t Contrasting(std::uint8_t value) { return value >= 128 ? 0 : 255; }

}  // namespace

// ---------------------------------------------------------------------------
// The colour grid

int TColorGrid::Columns() const {
  switch (ordering_) {
    case GridOrder::go16x1:
      return 16;
    case GridOrder::go8x2:
      return 8;
    case GridOrder::go4x4:
      return 4;
    case GridOrder::go2x8:
      return 2;
    case GridOrder::go1x16:
      return 1;
  }
  return 8;
}

int TColorGrid::Rows() const { return kPaletteSize / Columns(); }

std::string_view TColorGrid::CellMark(int index) const {
  const bool fore = index == ForegroundIndex;
  const bool back = index == BackgroundIndex;
  if (fore && back) return "FB";
  if (fore) return "FG";
  if (back) return "BG";
  return {};
}

int TColorGrid::CellAt(int x, int y, int width, int height) const {
  const int cell_width = std::max(1, width / Columns());
  const int cell_height = std::max(1, height / Rows());
  const int column = x < 0 ? 0 : std::min(x / cell_width, Columns() - 1);
  const int row = y < 0 ? 0 : std::min(y / cell_height, Rows() - 1);
  return row * Columns() + column;
}

void TColorGrid::Press(GridButton button, int cell) {
  // While the first button is still down its choice goes on.
  if (held_ != kNone) return;
  held_ = button == GridButton::kLeft ? kHeldLeft : kHeldRight;
  Choose(button, cell);
}

void TColorGrid::Drag(int cell) {
  if (held_ == kNone) return;
  Choose(held_ == kHeldLeft ? GridButton::kLeft : GridButton::kRight, cell);
}

void TColorGrid::Release(GridButton button) {
  if ((button == GridButton::kLeft) == (held_ == kHeldLeft)) held_ = kNone;
}

void TColorGrid::Choose(GridButton button, int cell) {
  if (button == GridButton::kLeft) {
    ForegroundIndex = cell;
  } else {
    BackgroundIndex = cell;
  }
}

void TColorGrid::FocusIn() {
  if (focus_ < 0) focus_ = IsCell(ForegroundIndex) ? ForegroundIndex : 0;
}

void TColorGrid::KeyPress(GridKey key) {
  if (focus_ < 0) FocusIn();
  const int column = focus_ % Columns();
  const int row = focus_ / Columns();
  switch (key) {
    case GridKey::kLeft:
      if (column > 0) --focus_;
      break;
    case GridKey::kRight:
      if (column < Columns() - 1) ++focus_;
      break;
    case GridKey::kUp:
      if (row > 0) focus_ -= Columns();
      break;
    case GridKey::kDown:
      if (row < Rows() - 1) focus_ += Columns();
      break;
    case GridKey::kForeground:
      ForegroundIndex = focus_;
      break;
    case GridKey::kBackground:
      BackgroundIndex = focus_;
      break;
  }
}

PaletteColor TColorGrid::ContrastingTextColor(PaletteColor cell) {
  return {Contrasting(cell.red), Contrasting(cell.green), Contrasting(cell.blue)};
}

std::string_view TColorGrid::ColorName(int index) {
  return IsCell(index) ? kColorNames[index] : std::string_view();
}

// ---------------------------------------------------------------------------
// The form

void TfrmOptions::SetScrollPosition(int position) {
  tbScroll = std::clamp(position, kFastest, kSlowest);
}

bool* TfrmOptions::CheckBox(std::string_view name) {
  if (name == "chkBold") return &chkBold;
  if (name == "chkShowTask") return &chkShowTask;
  if (name == "chkOnStart") return &chkOnStart;
  if (name == "chkAltSite") return &chkAltSite;
  return nullptr;
}

void TfrmOptions::FormCreate() {
  const std::unique_ptr<SettingsGroup> group = settings_.Open();
  const SettingsGroup& store = *group;
  SetScrollPosition(Read(store, kRate));
  cGrid.ForegroundIndex = Read(store, kForeground);
  cGrid.BackgroundIndex = Read(store, kBackground);
  chkBold = Read(store, kBold);
  chkShowTask = Read(store, kShowTask);
  chkOnStart = Read(store, kOnStart);
  chkAltSite = Read(store, kAltSource);
}

bool TfrmOptions::OkClick() {
  if (!guard_) {
    btnOkClick();
    return true;
  }
  return guard_([this] { btnOkClick(); });
}

void TfrmOptions::btnOkClick() {
  const std::unique_ptr<SettingsGroup> group = settings_.Open();
  SettingsGroup& store = *group;
  Write(store, kRate, tbScroll);
  Write(store, kForeground, cGrid.ForegroundIndex);
  Write(store, kBackground, cGrid.BackgroundIndex);
  Write(store, kBold, chkBold);
  Write(store, kShowTask, chkShowTask);
  Write(store, kOnStart, chkOnStart);
  Write(store, kAltSource, chkAltSite);
  store.UpdateFile();  // ends the group: a write held back that fails raises here
}
