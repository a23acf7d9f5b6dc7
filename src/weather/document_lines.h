// Splitting a fetched body into the lines that go into the work buffer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// CR or LF ends a line; empty lines are dropped, so CR LF, LF and CR line
// ends give the same lines; a last line without CR or LF after it is dropped
// (the read may have cut it); every other byte (NUL, tabs, bytes above 127)
// is kept as it is. The lines come in the body's order and never hold CR or
// LF.
std::vector<std::string> SplitDocumentLines(std::string_view body);
