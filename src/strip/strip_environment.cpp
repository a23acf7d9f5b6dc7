#include "strip/strip_environment.h"

#include <cstdio>

namespace {

class StandardErrorLog : public DiagnosticLog {
 public:
  void WriteLine(std::string_view line) override {
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
  }
};

}  // namespace

const StripEnvironment& ProgramEnvironment() {
  static const ProductSettings settings;
  static HttpDocumentFetch fetch;
  static StandardErrorLog log;
  static const StripEnvironment environment{settings, fetch, log};
  return environment;
}
