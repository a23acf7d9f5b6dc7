// Skeleton stub.
#include "weather/document_lines.h"

std::vector<std::string> SplitDocumentLines(std::string_view) { return {}; }
