// Texts are bytes of the single-byte code page (windows-1252). This is the
// one place where they become QStrings for the screen, and back.
#pragma once

#include <QString>
#include <string>
#include <string_view>

QString ToDisplay(std::string_view bytes);
// The inverse for texts that came from ToDisplay; characters outside
// windows-1252 become '?'.
std::string FromDisplay(const QString& text);
