// What the strip offers screen readers and the keyboard, beside what Qt's own
// accessibility interfaces give.
//
// Through QAccessible (and so through AT-SPI):
// - the window is a window whose name is the title it shows and whose
//   description is the hint as plain text;
// - the ticker is a read-only text named kTickerName whose text is the whole
//   forecast it scrolls, not the moving caption: a screen reader reads the
//   forecast from its beginning at any moment and when the ticker takes the
//   focus, and nothing at the ticker's steps. A new forecast is a change of
//   that text (TickerPanel::SetWholeText); while the ticker has the focus
//   it is also shown as a notification named kNewForecastNotice, once the
//   reader has read the ticker since the focus came (before that, the reader
//   is about to present the ticker and reads the new forecast then);
// - the picture is a graphic named for the weather it shows
//   (SpokenPictureName) and described by kPictureHint;
// - the popup menu and its items are named.
//
// The keyboard: a click anywhere on the strip, or activating the window, puts
// the focus on the ticker; there the Menu key and Shift+F10 open the popup
// menu below the ticker, with its first item current once the menu has the
// keyboard. When the menu closes, screen readers are told that the focus is
// back on the ticker. The mouse works as it always did.
#pragma once

class MainWindow;

// Sets up the names, the focus and the keys of a newly built strip.
void InstallMainWindowAccess(MainWindow& frm);
