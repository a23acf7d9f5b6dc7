// Splitting a fetched body into the lines that go into the work buffer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// CR or LF ends a line; empty lines are dropped; a last line without CR or LF
// after it is dropped; every other byte (NUL included) is kept as it is.
std::vector<std::string> SplitDocumentLines(std::string_view body);
