// Texts are bytes. This is the one place where they become QStrings for the
// screen, and where a text is made safe for the Qt property that
// shows it: whatever came from the settings file or a fetched document is
// shown as the plain characters it holds - no markup, no menu mnemonics, no
// title placeholders.
//
// A text that is valid UTF-8 shows as UTF-8; any other shows byte by byte as
// windows-1252, the code page the settings files and documents were always
// written in. Pure ASCII reads the same either way, and windows-1252 text
// outside ASCII is almost never valid UTF-8, so every stored file and every
// document shows as it always did, while UTF-8 texts (the locale's own date
// words, UTF-8 documents) show truly.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

// The text for the screen: UTF-8 when IsValidUtf8 (text/utf8_text.h), else
// windows-1252, where every byte gives exactly one character and the five
// codes the code page leaves unassigned map to the C1 controls of the same
// value.
QString ToDisplay(std::string_view bytes);

// A piece cut out of a longer text (the ticker's part of the forecast, the
// first characters of a title), shown as the whole text shows: `utf8` is how
// the whole text decodes. In a UTF-8 text a cut may fall inside a character;
// what is left of such a character at either end of the piece shows nothing,
// so the piece never flips to windows-1252 because of where it was cut.
QString ToDisplayPiece(std::string_view piece, bool utf8);
// How a piece shows when the text it was cut from is not known: as UTF-8 when
// it is valid UTF-8 once the tail of a character cut at its front is left out
// and it holds a character beyond ASCII; as windows-1252 otherwise (so a
// windows-1252 piece that starts with, say, the copyright sign keeps it).
bool PieceShowsAsUtf8(std::string_view piece);
// How `text` shows when it follows `before` (which showed as `before_utf8`):
// a text that is `before` with bytes dropped at its front is the rest of the
// same text, as a ticker step leaves it, and keeps its decoding; any other
// text is judged by PieceShowsAsUtf8.
bool ShowsAsUtf8After(std::string_view before, bool before_utf8, std::string_view text);

// A window title that Qt shows as it stands: "[*]" is Qt's modified-marker
// placeholder, so every one is doubled (Qt turns "[*][*]" back into "[*]").
QString PlainTitleText(const QString& text);
// A menu item caption without access keys: "&" is doubled.
QString PlainMenuText(const QString& text);
// A tool tip shown as plain text even when it looks like markup (Qt guesses
// rich text from a leading tag). Empty stays empty, so no tip is shown.
QString PlainToolTip(const QString& text);

// Sets the title of the top-level `window` to `text` as it stands. An empty
// title stays empty on X11 too, where Qt would put the program name instead.
void SetPlainWindowTitle(QWidget* window, const QString& text);
