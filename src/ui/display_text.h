// Texts are bytes of the single-byte code page (windows-1252). This is the
// one place where they become QStrings for the screen, and back, and where a
// text is made safe for the Qt property that shows it: whatever came from the
// settings file or a fetched document is shown as the plain characters it
// holds - no markup, no menu mnemonics, no title placeholders.
#pragma once

#include <QString>
#include <string>
#include <string_view>

class QWidget;

// Decodes windows-1252; the five codes the code page leaves unassigned map to
// the C1 controls of the same value. Every byte gives exactly one character.
QString ToDisplay(std::string_view bytes);
// The inverse for texts that came from ToDisplay; characters outside
// windows-1252 become '?'.
std::string FromDisplay(const QString& text);

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
