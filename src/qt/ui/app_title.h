// The application title: the text of the application's taskbar entry, which
// belongs to the application and not to any window.
//
// The main window is a tool window without a taskbar entry of its own. On
// X11 a small proxy top-level window carries the entry: it stays minimized,
// is titled with the application title, and when the user activates it (a
// click on the entry) it brings the target window forward and minimizes
// itself again; closing it closes the target window. Elsewhere (the offscreen
// platform of the tests, other platforms) the title is only kept.
#pragma once

#include <QIcon>
#include <QString>
#include <string>
#include <string_view>

class QWidget;

// Sets the title: bytes, shown as plain text. The entry shows at most the
// first 512 characters (no taskbar shows more); the title itself is kept
// whole. Setting the title it already has changes nothing on the screen.
void SetApplicationTitle(std::string_view title);
// The title as set, decoded for the screen / as bytes. A title that mirrors
// the ticker shows as the whole forecast does (ShowsAsUtf8After).
QString ApplicationTitle();
const std::string& ApplicationTitleText();
// How the title decodes, for a piece cut from it (ToDisplayPiece).
bool ApplicationTitleIsUtf8();

// The window that the taskbar entry brings forward and closes. On X11 the
// first target creates the proxy window; nullptr destroys it (do so before
// the target is destroyed).
void SetTaskbarProxyTarget(QWidget* window);
// The proxy window, nullptr when there is none.
QWidget* TaskbarProxyWindow();

// The program's icon for window frames and the taskbar, at the sizes window
// managers use, made once.
const QIcon& ProgramWindowIcon();
