#include "support/temp_config.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace {

#ifdef _WIN32
// Windows has no mkdtemp: a random name, until one is new.
std::string MakeTempFolder() {
  const std::filesystem::path base = std::filesystem::temp_directory_path();
  std::random_device random;
  for (int tries = 0; tries < 100; ++tries) {
    std::filesystem::path path = base / ("mw-config-" + std::to_string(random()));
    std::error_code ec;
    if (std::filesystem::create_directory(path, ec)) return path.string();
  }
  throw std::runtime_error("no temporary folder");
}

void SetVariable(const char* name, const std::string& value) { _putenv_s(name, value.c_str()); }
// An empty value removes the variable.
void UnsetVariable(const char* name) { _putenv_s(name, ""); }
#else
std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "mw-config-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}

void SetVariable(const char* name, const std::string& value) { setenv(name, value.c_str(), 1); }
void UnsetVariable(const char* name) { unsetenv(name); }
#endif

}  // namespace

TempConfigDir::TempConfigDir() {
  path_ = MakeTempFolder();
  if (const char* old = std::getenv("XDG_CONFIG_HOME")) {
    previous_ = old;
    had_previous_ = true;
  }
  SetVariable("XDG_CONFIG_HOME", path_);
}

TempConfigDir::~TempConfigDir() {
  if (had_previous_) {
    SetVariable("XDG_CONFIG_HOME", previous_);
  } else {
    UnsetVariable("XDG_CONFIG_HOME");
  }
  std::error_code ignored;
  // A test may have made parts read-only; give them back before removing.
  for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ignored)) {
    std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ignored);
  std::filesystem::remove_all(path_, ignored);
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
