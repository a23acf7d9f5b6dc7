// Skeleton stub.
#include "weather/http_fetch.h"

FetchResult FetchHttpDocument(const std::string&, const FetchLimits&,
                              const std::function<void()>&) {
  return {};
}
