// The about box's texts, unit wxabout: the product's name and version, a
// line saying what it is, the maker's copyright line in its three pieces
// (word, sign, year and holder) and two contact lines that the user can
// select and copy, each with the same hint. Every window system lays them
// out its own way.
#pragma once

#include "strip/version.h"

inline constexpr char kAboutCaption[] = "About...";
inline constexpr char kAboutProduct[] = "Marrowby Weather Ticker";
inline constexpr char kAboutVersion[] = "Version " MW_VERSION;
inline constexpr char kAboutDescription[] = "Local weather, always in view";
inline constexpr char kAboutCopyrightWord[] = "Copyright";
inline constexpr char kAboutCopyrightHolder[] = "2026 Tidewell";
inline constexpr char kAboutEmail[] = "E-mail: weather@tidewell.example";
inline constexpr char kAboutWeb[] = "Web: https://tidewell.example/marrowby";
inline constexpr char kAboutContactHint[] = "You can select this text and hit CTRL-C to copy it";
